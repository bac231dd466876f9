// Custom controls arrive with their own work.
namespace { [[maybe_unused]] const int kWidgetsVersion = 1; }
