// CAppSettings: the application's settings file "Sonavex.ini" in the user's
// configuration folder, read and written through the platform's profile
// functions: window and transport-window placement, the time-line scale, the
// six remembered folders and the recent files. A value that does not read as
// what it should be gives its default, and the load reports the file as
// damaged once.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>

namespace sonavex::app {

// The six remembered folders, in their order in the file.
enum class Folder { kSong, kSmf, kContent, kAudio, kRhythmMelody, kDefault };

struct StoredRect {
  int left = -1, top = -1, right = -1, bottom = -1;
  bool stored() const { return left != -1 && top != -1 && right != -1 && bottom != -1; }
  bool empty() const { return !stored(); }
  QRect rect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
  static StoredRect From(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  }
};

class CAppSettings {
 public:
  enum class Problem { kNone, kDamaged, kUnwritable };
  static constexpr int kRecentFiles = 4;

  // `path`: the settings file; `program_folder`: where the default folders
  // "BGM" and "WAV" are looked for.
  CAppSettings(const QString& path, const QString& program_folder);

  // The user's settings file: $XDG_CONFIG_HOME/sonavex/Sonavex.ini.
  static QString DefaultPath();

  // Reads every value; damaged values keep their defaults.
  Problem Load();
  // Writes every value; false when the file cannot be written.
  bool Save();

  const QString& path() const { return path_; }
  bool writable() const { return writable_; }

  int scale = 1;
  StoredRect window;
  int window_state = 0;  // 0 normal, 1 minimised, 2 maximised
  StoredRect control_window;
  int control_window_state = 0;
  QStringList recent_files;

  QString folder(Folder f) const { return folders_[static_cast<size_t>(f)]; }
  void SetFolder(Folder f, const QString& folder) { folders_[static_cast<size_t>(f)] = folder; }
  QString DefaultFolder(Folder f) const;
  void AddRecentFile(const QString& file);

 private:
  bool ReadInt(const char* section, const char* key, int def, int min, int max, int* out);
  void ReadRect(const char* section, StoredRect* out);
  bool WriteInt(const char* section, const char* key, int value);
  bool WriteText(const char* section, const char* key, const QString& value);

  QString path_;
  QString program_folder_;
  std::array<QString, 6> folders_;
  bool damaged_ = false;
  bool writable_ = true;
};

}  // namespace sonavex::app
