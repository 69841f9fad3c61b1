// The settings file setup.ini: one table of its keys, from which its default
// content, the load and the saves are made; the read rules for single keys;
// one save that sets many keys and replaces the file once.
#include <algorithm>
#include <string>
#include <type_traits>
#include <variant>

#include "platform/files.h"
#include "store/ansi_text.h"
#include "store/ini_file.h"
#include "store/modPublic.h"

namespace modPublic {
namespace {

// Where the value of a key lives in memory: a shared value, a cell of
// TableMarkupSettings, or a side of the bar's place.
using Slot = std::variant<std::wstring*, std::int16_t*, std::int32_t*, bool*,
                          vb::Variant*, float*>;
using SlotOf = Slot (*)(BarGeometry*);

// How a key's value is read and written: a text (a value of 255 bytes or
// more is read whole), a 16-bit number (clamped), the code of the paste's
// modifier key, a flag (on when -1), or twips of the bar's place.
enum class Kind { kText, kNumber, kModifier, kFlag, kTwips };
// A flag is written when on, or as off only where the file holds it already:
// the files of users who never turned it on keep their lines.
enum class Written { kAlways, kWhenOnOrPresent };

struct SetupKey {
  const char* section;
  const char* key;
  const wchar_t* fileText;  // the value in the default file; null: not there
  bool spaced;              // the default line reads "key = value"
  const wchar_t* missing;   // the value of a missing key (for a text, of an
                            // empty one too)
  Kind kind;
  Written written;
  SetupSaver saver;  // the close that writes it
  SlotOf slot;
};

template <auto* Value>
Slot Shared(BarGeometry*) {
  return Value;
}
template <float BarGeometry::*Side>
Slot Bar(BarGeometry* place) {
  return place ? &(place->*Side) : static_cast<float*>(nullptr);
}
template <int Element, int Property>
Slot Cell(BarGeometry*) {
  return &TableMarkupSettings(Element, Property);
}
Slot Delay0(BarGeometry*) { return &Delay[0]; }
Slot Delay1(BarGeometry*) { return &Delay[1]; }

constexpr Kind kText = Kind::kText, kNumber = Kind::kNumber,
               kModifier = Kind::kModifier, kFlag = Kind::kFlag,
               kTwips = Kind::kTwips;
constexpr Written kAlways = Written::kAlways,
                  kWhenOn = Written::kWhenOnOrPresent;
constexpr SetupSaver kBar = SetupSaver::kBarClose,
                     kDialog = SetupSaver::kDialogClose;

// Every key of setup.ini, in the order of the default file and of the
// saves. A new option is one row here.
const SetupKey kSetupKeys[] = {
    {"MainForm", "Height", L"2805", true, L"0", kTwips, kAlways, kBar,
     Bar<&BarGeometry::height>},
    {"MainForm", "Width", L"1320", true, L"0", kTwips, kAlways, kBar,
     Bar<&BarGeometry::width>},
    {"MainForm", "Top", L"300", true, L"0", kTwips, kAlways, kBar,
     Bar<&BarGeometry::top>},
    {"MainForm", "Left", L"300", true, L"0", kTwips, kAlways, kBar,
     Bar<&BarGeometry::left>},
    {"MainForm", "PShiftKey", L"162", true, L"162", kModifier, kAlways, kBar,
     Shared<&PasteShiftKey>},
    {"MainForm", "PKey", L"V", true, kDefaultPasteKey, kText, kAlways, kBar,
     Shared<&PasteKey>},
    {"MainForm", "GTime", L"100", true, L"0", kNumber, kAlways, kBar,
     Shared<&GetWindowTime>},
    {"MainForm", "Delay0", L"200", true, L"0", kNumber, kAlways, kBar, Delay0},
    {"MainForm", "Delay1", L"200", true, L"0", kNumber, kAlways, kBar, Delay1},
    {"MainForm", "TopMost", nullptr, false, L"0", kFlag, kWhenOn, kBar,
     Shared<&BarTopMost>},
    {"MainForm", "WrapSelection", nullptr, false, L"0", kFlag, kWhenOn, kBar,
     Shared<&WrapSelection>},
    {"MainForm", "RestoreClipboard", nullptr, false, L"0", kFlag, kWhenOn, kBar,
     Shared<&RestoreClipboard>},
    {"MainForm", "HotKeys", nullptr, false, L"0", kFlag, kWhenOn, kBar,
     Shared<&HotKeys>},
    {"Table", "quality", L"", false, L"", kText, kAlways, kDialog,
     Cell<elTable, propQuality>},
    {"Table", "Visible", L"-1", false, L"0", kNumber, kAlways, kDialog,
     Cell<elTable, propVisible>},
    {"Table", "Enter", L"0", false, L"0", kNumber, kAlways, kDialog,
     Cell<elTable, propEnter>},
    {"Caption", "quality", L"", false, L"", kText, kAlways, kDialog,
     Cell<elCaption, propQuality>},
    {"Caption", "Visible", L"-1", false, L"0", kNumber, kAlways, kDialog,
     Cell<elCaption, propVisible>},
    {"Caption", "Enter", L"0", false, L"0", kNumber, kAlways, kDialog,
     Cell<elCaption, propEnter>},
    {"TH", "quality", L"", false, L"", kText, kAlways, kDialog,
     Cell<elTH, propQuality>},
    {"TH", "Visible", L"-1", false, L"0", kNumber, kAlways, kDialog,
     Cell<elTH, propVisible>},
    {"TH", "Enter", L"0", false, L"0", kNumber, kAlways, kDialog,
     Cell<elTH, propEnter>},
    {"TR", "quality", L"", false, L"", kText, kAlways, kDialog,
     Cell<elTR, propQuality>},
    {"TR", "Visible", L"-1", false, L"0", kNumber, kAlways, kDialog,
     Cell<elTR, propVisible>},
    {"TR", "Enter", L"0", false, L"0", kNumber, kAlways, kDialog,
     Cell<elTR, propEnter>},
    {"TD", "quality", L"", false, L"", kText, kAlways, kDialog,
     Cell<elTD, propQuality>},
    {"TD", "Visible", L"-1", false, L"0", kNumber, kAlways, kDialog,
     Cell<elTD, propVisible>},
    {"TD", "Enter", L"0", false, L"0", kNumber, kAlways, kDialog,
     Cell<elTD, propEnter>},
};

// The default file: each section's name, then its keys that it holds.
std::wstring DefaultSetupText() {
  std::wstring text;
  std::string section;
  for (const SetupKey& k : kSetupKeys) {
    if (!k.fileText) continue;
    if (k.section != section) {
      section = k.section;
      text += L"[" + std::wstring(section.begin(), section.end()) + L"]\r\n";
    }
    text += std::wstring(k.key, k.key + std::char_traits<char>::length(k.key));
    text += k.spaced ? L" = " : L"=";
    text += k.fileText;
    text += L"\r\n";
  }
  return text;
}

// The settings as one read of setup.ini finds them. A file that is missing
// or cannot be read gives every key its default, as the system's reads do.
// The file's format is noted for the dialog's limits.
}  // namespace

ini::IniFile ReadSetupFile() {
  std::wstring path = IniPath();
  ini::IniFile file;
  if (platform::FileExists(path)) {
    try {
      file = ini::IniFile(platform::ReadAllBytes(path));
    } catch (const vb::RuntimeError&) {
    }
  }
  SetupFileFormat = file.format();
  return file;
}

namespace {

[[noreturn]] void FailAndEnd(bool writing, std::int32_t number,
                             const std::wstring& description) {
  if (writing)
    ReportFixed(L"｢setup.ini｣の作成に失敗しました。", L"強制終了します。");
  else
    ReportError(L"｢setup.ini｣ファイルの有無の確認した時", number, description);
  platform::EndProcess();
}

std::string DefaultSetupBytes() { return platform::ToAnsi(DefaultSetupText()); }

void WriteDefaultSetup(bool& writing) {
  std::wstring path = IniPath();
  if (platform::FileExists(path)) return;
  const std::string bytes = DefaultSetupBytes();
  RetryWhileBusy([&] {
    writing = false;
    auto out = platform::OpenOutputFile(path);
    writing = true;
    out->Write(bytes);
    writing = false;
    out->Commit();
  });
}

// The file as it is now, or the default file when there is none. A file
// that exists but cannot be read fails the save: writing over it would drop
// the lines this program does not write. While the session ends, a copy
// kept for recovery by an earlier save is the newest the file is.
std::string CurrentSetupBytes() {
  const std::wstring kept = KeptForRecovery(IniPath());
  const std::wstring path = kept.empty() ? IniPath() : kept;
  return platform::FileExists(path) ? platform::ReadAllBytes(path)
                                    : DefaultSetupBytes();
}

// PShiftKey: a missing, empty or non-numeric value gives `missing` (left
// Ctrl); a stored 0 stays 0, the choice of no modifier.
std::int32_t ModifierFrom(const std::wstring& text, std::int32_t missing) {
  auto number = vb::ParseNumber(text);
  if (!number) return missing;
  double r = vb::RoundHalfEven(*number);
  return static_cast<std::int32_t>(std::clamp(r, -2147483648.0, 2147483647.0));
}

// Stores a value read in the slot of its key, as the slot's type holds it:
// a cell holds the text or the 16-bit number, twips are held as a float.
template <class T>
void Store(const Slot& slot, T value) {
  std::visit(
      [&](auto* target) {
        using Target = std::remove_pointer_t<decltype(target)>;
        if constexpr (std::is_same_v<Target, vb::Variant> &&
                      !std::is_same_v<T, bool> &&
                      !std::is_same_v<T, std::int32_t>)
          *target = vb::Variant(value);
        else if constexpr (std::is_same_v<Target, T> ||
                           (std::is_same_v<Target, float> &&
                            std::is_same_v<T, std::int16_t>))
          if (target) *target = value;
      },
      slot);
}

void ReadKey(const ini::IniFile& file, const SetupKey& k, const Slot& slot) {
  switch (k.kind) {
    case Kind::kText: {
      const std::wstring text = ReadIniString(file, k.section, k.key);
      Store(slot, text.empty() ? std::wstring(k.missing) : text);
      break;
    }
    case Kind::kNumber:
    case Kind::kTwips:
      Store(slot, ReadIniInteger16(file, k.section, k.key));
      break;
    case Kind::kModifier:
      Store(slot, ModifierFrom(ReadIniString(file, k.section, k.key),
                               std::stoi(k.missing)));
      break;
    case Kind::kFlag:
      Store(slot, ReadIniInteger(file, k.section, k.key) == -1);
      break;
  }
}

// The text a slot's value is written as.
std::wstring TextOf(const Slot& slot) {
  return std::visit(
      [](auto* value) -> std::wstring {
        using Value = std::remove_pointer_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, std::wstring>)
          return *value;
        else if constexpr (std::is_same_v<Value, bool>)
          return *value ? L"-1" : L"0";
        else if constexpr (std::is_same_v<Value, vb::Variant>)
          return vb::CStr(*value);
        else if constexpr (std::is_same_v<Value, float>)
          return vb::SingleToText(*value);
        else
          return std::to_wstring(*value);
      },
      slot);
}

bool IsSet(const Slot& slot) {
  return std::visit([](auto* value) { return value != nullptr; }, slot);
}

bool IsOn(const Slot& slot) {
  const auto* flag = std::get_if<bool*>(&slot);
  return flag && **flag;
}

}  // namespace

void CreateSetupFile() {
  bool writing = false;
  CatchRuntimeError(
      [&] { WriteDefaultSetup(writing); },
      [&writing](std::int32_t number, const std::wstring& description) {
        FailAndEnd(writing, number, description);
      });
}

// The whole value, however long: a value longer than the system's buffer
// of 256 bytes (a hand edit) would be cut in the middle, and the dialog
// would write the cut value back.
std::wstring ReadIniString(const ini::IniFile& file, const std::string& section,
                           const std::string& key) {
  std::string value = file.Value(section, key).value_or("");
  value = value.substr(0, value.find('\0'));
  return textfile::Decode(value, file.format().encoding);
}

std::int32_t ReadIniInteger(const ini::IniFile& file,
                            const std::string& section,
                            const std::string& key) {
  return file.GetInt(section, key, 0);
}

std::int16_t ReadIniInteger16(const ini::IniFile& file,
                              const std::string& section,
                              const std::string& key) {
  return static_cast<std::int16_t>(std::clamp<std::int32_t>(
      ReadIniInteger(file, section, key), -32768, 32767));
}

std::wstring ReadIniString(const std::string& section, const std::string& key) {
  return ReadIniString(ReadSetupFile(), section, key);
}

std::int32_t ReadIniInteger(const std::string& section,
                            const std::string& key) {
  return ReadIniInteger(ReadSetupFile(), section, key);
}

std::int16_t ReadIniInteger16(const std::string& section,
                              const std::string& key) {
  return ReadIniInteger16(ReadSetupFile(), section, key);
}

void ReadSettings(const ini::IniFile& file, SetupSaver saver,
                  BarGeometry* place) {
  for (const SetupKey& k : kSetupKeys)
    if (k.saver == saver) ReadKey(file, k, k.slot(place));
}

void WriteSettings(SetupSave& save, SetupSaver saver,
                   const BarGeometry* place) {
  BarGeometry copy = place ? *place : BarGeometry();
  for (const SetupKey& k : kSetupKeys) {
    const Slot slot = k.slot(place ? &copy : nullptr);
    if (k.saver != saver || !IsSet(slot)) continue;
    if (k.written == Written::kAlways || IsOn(slot))
      save.Set(k.section, k.key, TextOf(slot));
    else
      save.Update(k.section, k.key, TextOf(slot));
  }
}

void SetupSave::Set(const std::string& section, const std::string& key,
                    const std::wstring& value) {
  entries_.push_back({section, key, value, false});
}

void SetupSave::Update(const std::string& section, const std::string& key,
                       const std::wstring& value) {
  entries_.push_back({section, key, value, true});
}

// The keys are set on the file's lines in the file's own encoding, and the
// file keeps its mark and line ends.
std::string SetupSave::Content() const {
  const std::string file = CurrentSetupBytes();
  const textfile::Format format = textfile::Detect(file);
  const bool utf8 = textfile::StoresAnyCharacter(format.encoding);
  std::vector<std::string> lines =
      ini::SplitLines(textfile::Body(file, format));
  for (const Entry& e : entries_)
    if (!e.onlyWherePresent || ini::HasEntry(lines, e.section, e.key, utf8))
      ini::SetEntry(lines, e.section, e.key,
                    textfile::Encode(e.value, format.encoding), utf8);
  return textfile::FileBytes(ini::JoinLines(lines, textfile::LineBreak(format)),
                             format);
}

bool SetupSave::Commit() const {
  return SaveFile(
      IniPath(), [this] { return Content(); },
      L"設定ファイルの書き込みに失敗しました。\r\n"
      L"再試行で保存し直します。キャンセルでこの保存を取りやめます。");
}

void WriteIniString(const std::string& section, const std::string& key,
                    const std::wstring& value) {
  SetupSave save;
  save.Set(section, key, value);
  save.Commit();
}

// A missing file is written as the default file with these keys set, in
// the one replace of the save.
void WriteTableSettings() {
  SetupSave save;
  WriteSettings(save, SetupSaver::kDialogClose);
  save.Commit();
}

}  // namespace modPublic
