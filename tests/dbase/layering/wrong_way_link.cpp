// The two libraries of the link check's test (CMakeLists.txt here), built
// from this one file: the upper one (LAYERING_HIGH) calls the lower one,
// which calls back up through a declaration of its own.
#ifdef LAYERING_HIGH
int LayeringLow();
int LayeringHigh() { return LayeringLow() + 1; }
#else
int LayeringHigh();
int LayeringLow() { return 1; }
int LayeringLowCallsUp() { return LayeringHigh(); }
#endif
