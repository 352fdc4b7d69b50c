#pragma once

#include <QIcon>
#include <QPixmap>

namespace byteloom {

// Byteloom's own pictures, drawn rather than shipped: the toolbar images (0 New, 1 Open,
// 2 Save, 3 Cut, 4 Copy, 5 Paste, 7 Help, 8 Redo, 9 Undo, 10 Search), the application icon and
// the splash screen.
[[nodiscard]] QIcon ToolbarImage(int image);
[[nodiscard]] QIcon ApplicationIcon();
[[nodiscard]] QPixmap SplashPicture();
// The 16 x 16 marker icons of the text column: 0 a line break, 1 the end of a string.
[[nodiscard]] QPixmap MarkerImage(int marker);

} // namespace byteloom
