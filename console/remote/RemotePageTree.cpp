#include "RemotePageTree.h"
#include <QList>

using namespace NS_Remote;

namespace NS_RemotePageTree {

int routeLength(const uint8_t* route)
{
    int n = 0;
    while (n < kRouteMax && route[n] != kRouteEnd)
        ++n;
    return n;
}

const TOP_WINDOW_TREE* topOf(const Tops& tops, const uint8_t* route)
{
    if (routeLength(route) < 1 || route[0] >= tops.size())
        return nullptr;
    return &tops[route[0]];
}

const windowTreeStruct* nodeAt(const Tops& tops, const uint8_t* route, int len)
{
    const TOP_WINDOW_TREE* top = topOf(tops, route);
    if (!top || len < 1 || len > routeLength(route))
        return nullptr;
    const windowTreeStruct* node = &top->node;
    for (int i = 1; i < len; ++i) {
        if (!node->inner || route[i] >= node->children.size())
            return nullptr;
        node = &node->children[route[i]];
    }
    return node;
}

int windowOf(const Tops& tops, const uint8_t* route)
{
    const windowTreeStruct* node = nodeAt(tops, route, routeLength(route));
    return node && !node->inner ? node->window : -1;
}

bool parse(const QByteArray& text, uint8_t* route)
{
    QList<QByteArray> numbers;
    QByteArray cur;
    for (char c : text + '-') {
        if (c == '-' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!cur.isEmpty())
                numbers.append(cur);
            cur.clear();
        } else if (c >= '0' && c <= '9' && cur.size() < 4) {
            cur.append(c);
        } else {
            return false;
        }
    }
    if (numbers.isEmpty() || numbers.size() > kRouteMax)
        return false;
    uint8_t out[kRouteBytes];
    std::fill(out, out + kRouteBytes, kRouteEnd);
    for (int i = 0; i < numbers.size(); ++i) {
        const int v = numbers[i].toInt();
        if (v >= kRouteEnd)
            return false;
        out[i] = uint8_t(v);
    }
    copy(route, out);
    return true;
}

void copy(uint8_t* to, const uint8_t* from)
{
    std::copy(from, from + kRouteBytes, to);
    to[kRouteMax] = kRouteEnd;
}

bool normalise(const Tops& tops, uint8_t* route)
{
    const TOP_WINDOW_TREE* top = topOf(tops, route);
    if (!top)
        return false;
    const int len = routeLength(route);
    const windowTreeStruct* node = &top->node;
    int i = 1;
    for (; node->inner; ++i) {
        if (i >= kRouteMax || node->children.empty())
            return false;
        const uint8_t want = i < len ? route[i] : 0;
        const uint8_t pick = want < node->children.size() ? want : 0;
        route[i] = pick;
        node = &node->children[pick];
    }
    std::fill(route + i, route + kRouteBytes, kRouteEnd);
    return true;
}

namespace {

// Moves the byte at level (the parent of the last byte) by d within its own
// parent's children; the top entry (level 0) stays where it is.
const windowTreeStruct* moveParent(const Tops& tops, uint8_t* route, int level, int d)
{
    if (level == 0)
        return nodeAt(tops, route, 1);
    const windowTreeStruct* grand = nodeAt(tops, route, level);
    const int count = grand ? int(grand->children.size()) : 0;
    if (count == 0)
        return nullptr;
    route[level] = uint8_t(((route[level] + d) % count + count) % count);
    return &grand->children[route[level]];
}

} // namespace

bool step(const Tops& tops, uint8_t* route, bool next, bool shift)
{
    const int len = routeLength(route);
    if (len < 2 || windowOf(tops, route) < 0)
        return false;
    uint8_t r[kRouteBytes];
    copy(r, route);
    const int lastAt = len - 1;
    const windowTreeStruct* parent = nodeAt(tops, r, lastAt);
    const int count = int(parent->children.size());
    const int last = r[lastAt];
    const int shiftNo = parent->shift >= 0 && parent->shift < count ? parent->shift : -1;
    int want = 0;
    const windowTreeStruct* target = parent;
    if (shift && shiftNo >= 0 && lastAt == 1) {
        // The top entry's own pages: the shift number splits them into two groups
        // and a shifted step jumps to the start of the other group.
        if (next)
            want = last < shiftNo ? shiftNo : 0;
        else
            want = last > shiftNo ? shiftNo : (last == shiftNo ? 0 : shiftNo);
    } else if (shift && shiftNo >= 0) {
        if (next && last < shiftNo) {
            want = shiftNo;
        } else if (!next && last > shiftNo) {
            want = shiftNo;
        } else {
            target = moveParent(tops, r, lastAt - 1, next ? 1 : -1);
            if (!target)
                return false;
            const int n = int(target->children.size());
            want = target->shift >= 0 && target->shift < n ? target->shift : (next ? 0 : n - 1);
        }
    } else if (next) {
        if (last + 1 < count) {
            want = last + 1;
        } else {
            target = moveParent(tops, r, lastAt - 1, 1);
            want = 0;
        }
    } else {
        if (last > 0) {
            want = last - 1;
        } else {
            target = moveParent(tops, r, lastAt - 1, -1);
            want = target ? int(target->children.size()) - 1 : 0;
        }
    }
    if (!target)
        return false;
    if (!target->inner) {
        // The level above moved onto a page of its own: the route ends there.
        r[lastAt] = kRouteEnd;
    } else {
        r[lastAt] = uint8_t(want < 0 ? 0 : want);
        // Moving onto a deeper subtree lands on its first (next) or last page.
        if (!normalise(tops, r))
            return false;
        if (!next) {
            const windowTreeStruct* n = nodeAt(tops, r, lastAt + 1);
            int i = lastAt + 1;
            while (n && n->inner && !n->children.empty() && i < kRouteMax) {
                r[i] = uint8_t(n->children.size() - 1);
                n = &n->children.back();
                ++i;
            }
            std::fill(r + i, r + kRouteBytes, kRouteEnd);
        }
    }
    if (windowOf(tops, r) < 0)
        return false;
    copy(route, r);
    return true;
}

bool matchesSelection(const TOP_WINDOW_TREE& top, int selected, int bankCount)
{
    if (top.bank == -1) {
        if (top.strip == -1)
            return true;
        return top.strip == kStripCount && selected == bankCount * kStripCount;
    }
    return top.bank >= 0 && top.strip >= 0 && top.strip < kStripCount
           && top.bank * kStripCount + top.strip == selected;
}

} // namespace NS_RemotePageTree
