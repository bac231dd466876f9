// Add-on entry point; the views arrive with their own work.
namespace { [[maybe_unused]] const char kAddOn[] = "dialogs"; }
