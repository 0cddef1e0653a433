// The libraries of the link check's test (CMakeLists.txt here), all built
// from this one file: layering_high calls layering_low, layering_top calls
// it two levels down, layering_low calls back up and layering_side, linked
// to layering_low though not declared over it, reads a variable of it;
// each declares what it uses by hand.
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
