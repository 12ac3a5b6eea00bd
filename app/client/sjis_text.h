// Text across the middleware boundary is Shift-JIS; the application works in
// UTF-16. These two are the only places that convert. File names are not
// text here: they travel as the file system's bytes (QFile::encodeName).
//
// Thread rules: reentrant.
#pragma once
#include <QString>
#include <string>

namespace sonavex::app {

std::string ToMiddleText(const QString& text);
QString FromMiddleText(const char* sjis);

}  // namespace sonavex::app
