#pragma once

namespace byteloom {

// The caption of every message box and the start of every window title.
inline constexpr const char *kProgramCaption = "Byteloom RC7";
inline constexpr int kVersionMajor = 3;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionPatch = 0;

} // namespace byteloom
