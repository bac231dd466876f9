#pragma once
// Routes through the surface's page tree: a route is up to 15 bytes ended by 255;
// byte 0 picks a top entry, each further byte a child of the node reached so far,
// and a route names a page when it ends on a leaf. Pure functions over the tree
// the surface template describes.
#include "RemoteCtrlTypes.h"
#include "vantrel_kxe21_console_export.h"
#include <QByteArray>
#include <vector>

namespace NS_RemotePageTree {

using Tops = std::vector<TOP_WINDOW_TREE>;

// Bytes before the end mark (at most 15).
VANTREL_CONSOLE_EXPORT int routeLength(const uint8_t* route);
// The node the first len bytes reach; null when they leave the tree.
VANTREL_CONSOLE_EXPORT const windowTreeStruct* nodeAt(const Tops& tops, const uint8_t* route, int len);
// The page (window index) a route names; -1 when it is empty, leaves the tree or
// ends on an inner node.
VANTREL_CONSOLE_EXPORT int windowOf(const Tops& tops, const uint8_t* route);
// The top entry a route starts at; null for an empty route or one outside the list.
VANTREL_CONSOLE_EXPORT const TOP_WINDOW_TREE* topOf(const Tops& tops, const uint8_t* route);
// Reads "0-3-1" (numbers separated by '-' or blanks) into a route with its end
// mark; false for anything else, more than 15 numbers or a number above 254.
VANTREL_CONSOLE_EXPORT bool parse(const QByteArray& text, uint8_t* route);
VANTREL_CONSOLE_EXPORT void copy(uint8_t* to, const uint8_t* from);
// Makes the route name a page: each inner node takes the route's byte when it
// indexes a child, else child 0; the route ends at the first leaf. False when the
// top entry does not exist or a node on the way has no children.
VANTREL_CONSOLE_EXPORT bool normalise(const Tops& tops, uint8_t* route);
// Steps to the next or previous page of the last level. At either end the level
// above moves on and the last byte starts at the other end; the top entry itself
// never moves, so a route of two bytes wraps around its own pages. With the shift
// key held and a shift number on the parent, the step jumps between the page
// groups the shift number divides. False (route untouched) for a route shorter
// than two bytes or one that names no page.
VANTREL_CONSOLE_EXPORT bool step(const Tops& tops, uint8_t* route, bool next, bool shift);
// Whether a top entry serves the selection: bank -1 with strip -1 any selection,
// bank -1 with strip 8 the master; else bank x 8 + strip must be the selected part.
VANTREL_CONSOLE_EXPORT bool matchesSelection(const TOP_WINDOW_TREE& top, int selected, int bankCount);

} // namespace NS_RemotePageTree
