// Host plug-in component; its objects arrive with their own work.
namespace { [[maybe_unused]] const int kComponentVersion = 1; }
