// The libraries of the link check's test (CMakeLists.txt here), all built
// from this one file: layering_high calls layering_low, layering_top calls
// it through layering_high's link line, layering_low calls back up and
// layering_side, which links nothing, reads a variable of layering_low;
// each through a declaration of its own.
int LayeringLow();
#if defined(LAYERING_HIGH)
int LayeringHigh() { return LayeringLow() + 1; }
#elif defined(LAYERING_TOP)
int LayeringTop() { return LayeringLow() + 2; }
#elif defined(LAYERING_SIDE)
extern int LayeringCount;
int LayeringSide() { return LayeringCount; }
#else
int LayeringHigh();
int LayeringCount = 0;
int LayeringLow() { return ++LayeringCount; }
int LayeringLowCallsUp() { return LayeringHigh(); }
#endif
