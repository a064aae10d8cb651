// A link-time seam of the runner: called on every pass that finds the pipe empty, before the
// interpreter's end is tested. The program links the empty one beside it; a test that must let a
// command write and end right there links its own definition instead.
#pragma once

void OnEmptyPipe();
