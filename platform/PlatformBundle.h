#pragma once
// Bundles: a root folder holding lib/ (the libraries), Resources/ and the data folder.
// A library finds its bundle from its own path; VANTREL_BUNDLE_DIR, when set, is the
// root of every bundle (tests run from the build tree). Any thread.
#include "vantrel_platform_export.h"
#include <QString>

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT PlatformBundle
{
public:
    // The root of the bundle holding the library (or program) that contains the
    // address: the parent of the nearest enclosing folder named "lib", else the
    // parent of the file's folder. Empty when the address lies in no loaded file.
    static QString rootOfAddress(const void* address);
    // The same for a library's or program's file path.
    static QString rootOfLibraryPath(const QString& path);
    // The bundle this service's own library belongs to.
    static QString mainBundleRoot();

    // Names a bundle: identifier to root folder. An empty root forgets it.
    static void registerBundle(const QString& identifier, const QString& root);
    // Names the bundle of the library containing the address.
    static void registerBundleOfAddress(const QString& identifier, const void* address);
    // The named bundle's root, or the main bundle's for a null, empty or unknown identifier.
    static QString bundleRoot(const QString* identifier);
    // Absolute path of <root>/Resources; empty when there is no such folder.
    static QString resourcesFolder(const QString* identifier);
};

} // namespace NS_Platform
