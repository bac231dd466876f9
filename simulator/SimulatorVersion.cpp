// Simulated instrument; built out with the bulk protocol work.
namespace { [[maybe_unused]] const int kSimulatorVersion = 1; }
