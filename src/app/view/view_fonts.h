#pragma once

#include <QFont>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace byteloom {

// The face the settings name, or the system's substitute of the same kind where it is missing.
inline QFont MakeFont(const std::string &face, int height, bool fixedPitch)
{
    QFont font(QString::fromStdString(face));
    font.setPixelSize(std::max(std::abs(height), 6));
    font.setStyleHint(fixedPitch ? QFont::TypeWriter : QFont::AnyStyle);
    font.setFixedPitch(fixedPitch);
    return font;
}

} // namespace byteloom
