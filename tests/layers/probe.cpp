// Compiled with one layer's include root and one header of the tree: it
// builds when the layer may see the header, and must not build otherwise.
#include PROBE_HEADER
