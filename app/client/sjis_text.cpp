#include "client/sjis_text.h"

#include "platform/sjis.h"

namespace sonavex::app {

std::string ToMiddleText(const QString& text) {
  return platform::Utf8ToSjis(text.toStdString());
}

QString FromMiddleText(const char* sjis) {
  if (sjis == nullptr) return {};
  return QString::fromStdString(platform::SjisToUtf8(sjis));
}

}  // namespace sonavex::app
