#pragma once

// Which thread is the UI thread: the one that runs the loop and owns every
// window. Marked once at start-up; until then every thread counts as it, so
// single-threaded tools and tests need not mark one.
void MarkUiThread();
bool IsUiThread();
