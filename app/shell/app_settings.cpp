#include "shell/app_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

#include "platform/profile.h"

namespace sonavex::app {
namespace {

constexpr const char* kFolderKeys[] = {"SONG",  "SMF",          "SINGLANE",
                                       "Audio", "RhythmMelody", "Default"};
constexpr int kPositionLimit = 1 << 20;
constexpr uint32_t kValueSize = 4096;

QByteArray Encode(const QString& s) {
  return QFile::encodeName(s);
}

// A number as the file holds it: optional sign, digits, nothing else.
bool ParseStrictInt(const QByteArray& text, int* out) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (ok) *out = v;
  return ok;
}

}  // namespace

CAppSettings::CAppSettings(const QString& path, const QString& program_folder)
    : path_(path), program_folder_(program_folder) {
  for (size_t i = 0; i < folders_.size(); ++i) folders_[i] = DefaultFolder(static_cast<Folder>(i));
}

QString CAppSettings::DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/sonavex/Sonavex.ini");
}

QString CAppSettings::DefaultFolder(Folder f) const {
  // The program's own "BGM" and "WAV" folders when they are there and
  // writable; an installed program's folder is not, so else the home folder.
  const QString name = f == Folder::kAudio ? QStringLiteral("WAV") : QStringLiteral("BGM");
  const QFileInfo beside(program_folder_ + QLatin1Char('/') + name);
  if (beside.isDir() && beside.isWritable()) return beside.absoluteFilePath();
  return QDir::homePath();
}

bool CAppSettings::ReadInt(const char* section, const char* key, int def, int min, int max,
                           int* out) {
  char buffer[64] = {};
  const QByteArray file = Encode(path_);
  platform::GetPrivateProfileString(section, key, "\x01", buffer, sizeof buffer, file.constData());
  *out = def;
  if (buffer[0] == '\x01') return true;  // absent
  int value = 0;
  if (!ParseStrictInt(QByteArray(buffer), &value) || value < min || value > max) {
    damaged_ = true;
    return false;
  }
  *out = value;
  return true;
}

void CAppSettings::ReadRect(const char* section, StoredRect* out) {
  StoredRect r;
  const bool ok = ReadInt(section, "PosLeft", -1, -kPositionLimit, kPositionLimit, &r.left) &
                  ReadInt(section, "PosTop", -1, -kPositionLimit, kPositionLimit, &r.top) &
                  ReadInt(section, "PosRight", -1, -kPositionLimit, kPositionLimit, &r.right) &
                  ReadInt(section, "PosBottom", -1, -kPositionLimit, kPositionLimit, &r.bottom);
  if (!ok) return;
  if (r.stored() && (r.right <= r.left || r.bottom <= r.top)) {
    damaged_ = true;
    return;
  }
  *out = r;
}

CAppSettings::Problem CAppSettings::Load() {
  damaged_ = false;
  const QFileInfo info(path_);
  QDir().mkpath(info.absolutePath());
  writable_ = info.exists() ? info.isWritable() : QFileInfo(info.absolutePath()).isWritable();
  if (info.exists()) {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
      damaged_ = true;
    } else {
      // A settings file is text: a zero byte or broken UTF-8 means damage.
      const QByteArray bytes = file.readAll();
      QStringDecoder decoder(QStringDecoder::Utf8);
      (void)decoder.decode(bytes);
      if (bytes.contains('\0') || decoder.hasError()) damaged_ = true;
    }
  }
  if (!damaged_) {
    ReadInt("Parameter", "Scale", 1, 1, 3, &scale);
    ReadRect("Window", &window);
    ReadInt("Window", "WndState", 0, 0, 2, &window_state);
    ReadRect("ControlWindow", &control_window);
    ReadInt("ControlWindow", "WndState", 0, 0, 2, &control_window_state);
    const QByteArray file = Encode(path_);
    for (size_t i = 0; i < folders_.size(); ++i) {
      char buffer[kValueSize] = {};
      platform::GetPrivateProfileString("Directory", kFolderKeys[i], "", buffer, sizeof buffer,
                                        file.constData());
      const QString folder = QFile::decodeName(buffer);
      // A folder that has gone since is no damage; its default stands in.
      if (!folder.isEmpty() && QFileInfo(folder).isDir()) folders_[i] = folder;
    }
    recent_files.clear();
    for (int i = 1; i <= kRecentFiles; ++i) {
      char buffer[kValueSize] = {};
      const QByteArray key = QByteArray("File") + QByteArray::number(i);
      platform::GetPrivateProfileString("Recent File List", key.constData(), "", buffer,
                                        sizeof buffer, file.constData());
      if (buffer[0] != '\0') recent_files << QFile::decodeName(buffer);
    }
  }
  if (damaged_) {
    const CAppSettings defaults(path_, program_folder_);
    scale = defaults.scale;
    window = defaults.window;
    window_state = defaults.window_state;
    control_window = defaults.control_window;
    control_window_state = defaults.control_window_state;
    folders_ = defaults.folders_;
    recent_files.clear();
    // The damaged file is replaced as a whole on the next save.
    if (writable_) QFile::remove(path_);
    return Problem::kDamaged;
  }
  return writable_ ? Problem::kNone : Problem::kUnwritable;
}

bool CAppSettings::WriteInt(const char* section, const char* key, int value) {
  return WriteText(section, key, QString::number(value));
}

bool CAppSettings::WriteText(const char* section, const char* key, const QString& value) {
  const QByteArray file = Encode(path_);
  const QByteArray bytes = Encode(value);
  return platform::WritePrivateProfileString(section, key, bytes.constData(), file.constData());
}

bool CAppSettings::Save() {
  if (!writable_) return false;
  bool ok = WriteInt("Window", "WndState", window_state);
  if (window_state == 0 && window.stored()) {
    ok &= WriteInt("Window", "PosLeft", window.left);
    ok &= WriteInt("Window", "PosTop", window.top);
    ok &= WriteInt("Window", "PosRight", window.right);
    ok &= WriteInt("Window", "PosBottom", window.bottom);
  }
  ok &= WriteInt("Parameter", "Scale", scale);
  for (size_t i = 0; i < folders_.size(); ++i)
    ok &= WriteText("Directory", kFolderKeys[i], folders_[i]);
  if (control_window.stored()) {
    ok &= WriteInt("ControlWindow", "PosLeft", control_window.left);
    ok &= WriteInt("ControlWindow", "PosTop", control_window.top);
    ok &= WriteInt("ControlWindow", "PosRight", control_window.right);
    ok &= WriteInt("ControlWindow", "PosBottom", control_window.bottom);
  }
  for (int i = 0; i < kRecentFiles; ++i) {
    const QByteArray key = QByteArray("File") + QByteArray::number(i + 1);
    const QByteArray file = Encode(path_);
    if (i < recent_files.size()) {
      ok &= WriteText("Recent File List", key.constData(), recent_files[i]);
    } else {
      platform::WritePrivateProfileString("Recent File List", key.constData(), nullptr,
                                          file.constData());
    }
  }
  return ok;
}

void CAppSettings::AddRecentFile(const QString& file) {
  const QString absolute = QFileInfo(file).absoluteFilePath();
  recent_files.removeAll(absolute);
  recent_files.prepend(absolute);
  while (recent_files.size() > kRecentFiles) recent_files.removeLast();
}

}  // namespace sonavex::app
