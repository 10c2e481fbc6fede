#pragma once
// The toolkit's version, printed by every program's --version.

inline const char* const kToolkitVersion = "2.0.0";
