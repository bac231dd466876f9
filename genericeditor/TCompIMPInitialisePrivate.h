#pragma once
// The component's add-ons: found in a folder tree, loaded, and initialised once.
#include "TAddOnDescriptor.h"
#include <memory>
#include <vector>

class QDir;

class TCompIMPInitialisePrivate
{
public:
    TCompIMPInitialisePrivate() = default;
    TCompIMPInitialisePrivate(const TCompIMPInitialisePrivate&) = delete;
    TCompIMPInitialisePrivate& operator=(const TCompIMPInitialisePrivate&) = delete;

    // Every shared library below the folder (".so" in any letter case) whose factory
    // gives an add-on object is appended; the others are unloaded and skipped, and none
    // stops the scan. Returns the number appended.
    int loadAddOns(const QDir& folder);

    const std::vector<std::unique_ptr<TAddOnDescriptor>>& addOns() const { return m_addOns; }
    // Appends an add-on loaded by other means (an object of this process).
    void add(std::unique_ptr<TAddOnDescriptor> descriptor) { m_addOns.push_back(std::move(descriptor)); }
    // Deletes the descriptors in list order.
    void clear();

    // Set once the add-ons have had their memory API.
    bool initialised = false;

private:
    std::vector<std::unique_ptr<TAddOnDescriptor>> m_addOns;
};
