// The simulated machine (filled in by the sim implementation).
namespace platform::sim {}
