// The settings file setup.ini: its default content, the read rules for
// single keys, one save that sets many keys and replaces the file once, the
// table markup sections and the paste settings of [MainForm].
#include <algorithm>

#include "platform/files.h"
#include "store/ansi_text.h"
#include "store/ini_file.h"
#include "store/modPublic.h"

namespace modPublic {
namespace {

const char kMainForm[] = "MainForm";
const std::array<const char*, 3> kTableKeys = {"quality", "Visible", "Enter"};

const wchar_t kDefaultSetup[] =
    L"[MainForm]\r\n"
    L"Height = 2805\r\n"
    L"Width = 1320\r\n"
    L"Top = 300\r\n"
    L"Left = 300\r\n"
    L"PShiftKey = 162\r\n"
    L"PKey = V\r\n"
    L"GTime = 100\r\n"
    L"Delay0 = 200\r\n"
    L"Delay1 = 200\r\n"
    L"[Table]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n"
    L"[Caption]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n"
    L"[TH]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n"
    L"[TR]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n"
    L"[TD]\r\nquality=\r\nVisible=-1\r\nEnter=0\r\n";

// The settings as one read of setup.ini finds them. A file that is missing
// or cannot be read gives every key its default, as the system's reads do.
// The file's format is noted for the dialog's limits.
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

// The one read that a SetupSnapshot holds, if any.
const ini::IniFile* g_snapshot = nullptr;

// Answers `read` from the snapshot when there is one, else from a fresh read
// of the file.
template <class Read>
auto WithSetupFile(Read&& read) {
  if (g_snapshot) return read(*g_snapshot);
  return read(ReadSetupFile());
}

[[noreturn]] void FailAndEnd(bool writing, std::int32_t number,
                             const std::wstring& description) {
  if (writing)
    ReportFixed(L"｢setup.ini｣の作成に失敗しました。", L"強制終了します。");
  else
    ReportError(L"｢setup.ini｣ファイルの有無の確認した時", number, description);
  platform::EndProcess();
}

std::string DefaultSetupBytes() { return platform::ToAnsi(kDefaultSetup); }

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

// PShiftKey: a missing, empty or non-numeric value gives left Ctrl; a stored
// 0 stays 0, the choice of no modifier.
std::int32_t ShiftKeyFrom(const std::wstring& text) {
  auto number = vb::ParseNumber(text);
  if (!number) return kDefaultPasteShiftKey;
  double r = vb::RoundHalfEven(*number);
  return static_cast<std::int32_t>(std::clamp(r, -2147483648.0, 2147483647.0));
}

// An option is -1 when on; the files of users who never turned it on keep
// their lines.
void SetOption(SetupSave& save, const char* key, bool on) {
  if (on)
    save.Set(kMainForm, key, L"-1");
  else
    save.Update(kMainForm, key, L"0");
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
std::wstring ReadIniString(const std::string& section, const std::string& key) {
  return WithSetupFile([&](const ini::IniFile& file) {
    std::string value = file.Value(section, key).value_or("");
    value = value.substr(0, value.find('\0'));
    return textfile::Decode(value, file.format().encoding);
  });
}

std::int32_t ReadIniInteger(const std::string& section,
                            const std::string& key) {
  return WithSetupFile(
      [&](const ini::IniFile& file) { return file.GetInt(section, key, 0); });
}

std::int16_t ReadIniInteger16(const std::string& section,
                              const std::string& key) {
  return static_cast<std::int16_t>(
      std::clamp<std::int32_t>(ReadIniInteger(section, key), -32768, 32767));
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

SetupSnapshot::SetupSnapshot()
    : file_(std::make_unique<ini::IniFile>(ReadSetupFile())),
      previous_(g_snapshot) {
  g_snapshot = file_.get();
}

SetupSnapshot::~SetupSnapshot() { g_snapshot = previous_; }

void ReadTableSettings() {
  for (int e = elTable; e <= elTD; ++e) {
    const char* section = kTableSections[e];
    TableMarkupSettings(e, propQuality) = ReadIniString(section, "quality");
    TableMarkupSettings(e, propVisible) = ReadIniInteger16(section, "Visible");
    TableMarkupSettings(e, propEnter) = ReadIniInteger16(section, "Enter");
  }
}

// A missing file is written as the default file with these keys set, in
// the one replace of the save.
void WriteTableSettings() {
  SetupSave save;
  for (int e = elTable; e <= elTD; ++e)
    for (int p = propQuality; p <= propEnter; ++p)
      save.Set(kTableSections[e], kTableKeys[p],
               vb::CStr(TableMarkupSettings(e, p)));
  save.Commit();
}

void ReadPasteSettings() {
  PasteShiftKey = ShiftKeyFrom(ReadIniString(kMainForm, "PShiftKey"));
  PasteKey = ReadIniString(kMainForm, "PKey");
  if (PasteKey.empty()) PasteKey = kDefaultPasteKey;
  GetWindowTime = ReadIniInteger16(kMainForm, "GTime");
  Delay[0] = ReadIniInteger16(kMainForm, "Delay0");
  Delay[1] = ReadIniInteger16(kMainForm, "Delay1");
  BarTopMost = ReadIniInteger(kMainForm, "TopMost") == -1;
  WrapSelection = ReadIniInteger(kMainForm, "WrapSelection") == -1;
  RestoreClipboard = ReadIniInteger(kMainForm, "RestoreClipboard") == -1;
  HotKeys = ReadIniInteger(kMainForm, "HotKeys") == -1;
}

void WritePasteSettings(SetupSave& save) {
  save.Set(kMainForm, "PShiftKey", std::to_wstring(PasteShiftKey));
  save.Set(kMainForm, "PKey", PasteKey);
  save.Set(kMainForm, "GTime", std::to_wstring(GetWindowTime));
  save.Set(kMainForm, "Delay0", std::to_wstring(Delay[0]));
  save.Set(kMainForm, "Delay1", std::to_wstring(Delay[1]));
  SetOption(save, "TopMost", BarTopMost);
  SetOption(save, "WrapSelection", WrapSelection);
  SetOption(save, "RestoreClipboard", RestoreClipboard);
  SetOption(save, "HotKeys", HotKeys);
}

}  // namespace modPublic
