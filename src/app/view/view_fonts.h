#pragma once

#include <QFont>
#include <QFontDatabase>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace byteloom {

// The face the settings name, or the system's substitute of the same kind where it is missing;
// no face is the system's own fixed-pitch or general font.
inline QFont MakeFont(const std::string &face, int height, bool fixedPitch)
{
    QFont font = face.empty() ? QFontDatabase::systemFont(fixedPitch ? QFontDatabase::FixedFont
                                                                     : QFontDatabase::GeneralFont)
                              : QFont(QString::fromStdString(face));
    font.setPixelSize(std::max(std::abs(height), 6));
    font.setStyleHint(fixedPitch ? QFont::TypeWriter : QFont::AnyStyle);
    font.setFixedPitch(fixedPitch);
    return font;
}

} // namespace byteloom
