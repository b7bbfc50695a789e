#pragma once

// Bounds the HTTP client keeps against servers that never stop asking.

// Redirects one load follows before it gives up: a longer chain is a loop, or
// as good as one, and without a bound it would run until the user stopped it.
inline constexpr int MaxRedirects = 20;
