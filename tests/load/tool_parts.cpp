// The load tool's frame building and latency counting are plain sources of the tool's folder;
// the test program builds them here to test them directly.
#include "../../tools/tarnwick-load/frames.cpp"
#include "../../tools/tarnwick-load/latency.cpp"
