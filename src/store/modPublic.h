// The shared module: the state both windows share for the whole run and the
// procedures they both call (tag table and tag file, settings file, button
// layout, error reporting).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/files.h"
#include "runtime/vb.h"
#include "store/ini_file.h"
#include "store/text_format.h"

namespace modPublic {

// A fixed table of variant cells; an index outside it raises kSubscript.
class CellTable {
 public:
  CellTable() = default;
  CellTable(int rows, int cols) { Resize(rows, cols); }
  // Sizes the table anew with every cell empty.
  void Resize(int rows, int cols);
  int Rows() const { return rows_; }
  int Cols() const { return cols_; }
  vb::Variant& operator()(int row, int col);
  const vb::Variant& operator()(int row, int col) const;

 private:
  int rows_ = 0, cols_ = 0;
  std::vector<vb::Variant> cells_;
};

// Columns of the tag table.
enum TagColumn : int {
  colNo = 0,
  colLeft = 1,
  colTop = 2,
  colWidth = 3,
  colHeight = 4,
  colCaption = 5,
  colTagS = 6,
  colTagE = 7,
};
constexpr int kTagColumns = 8;

// Elements and properties of the table markup settings.
enum TableElement : int { elTable = 0, elCaption, elTH, elTR, elTD };
enum TableProperty : int { propQuality = 0, propVisible = 1, propEnter = 2 };
extern const std::array<const char*, 5> kTableSections;  // "Table" ...

// ---- shared state --------------------------------------------------------
// The bar's tag-button slots, Check(0) .. Check(30): one row of the tag
// table each.
inline constexpr std::int16_t kButtonSlots = 31;
inline constexpr std::int16_t MaxButtonIndex = kButtonSlots - 1;
// The state below starts as ResetSharedState leaves it.
inline CellTable TagTable;
inline std::int16_t TagCount;
inline std::int16_t BarClientWidth;
inline std::int16_t BarClientHeight;
inline std::int16_t MaxButtonRight;
inline std::int16_t MaxButtonBottom;
// True once LoadTagFile has filled the table in this run; until then the
// table must never be written over tag.txt.
inline bool TagTableLoaded;

inline std::int32_t PasteShiftKey;
inline std::wstring PasteKey;
// The paste keys of a setup.ini that names none: left Ctrl + V.
inline constexpr std::int32_t kDefaultPasteShiftKey = 162;
inline constexpr wchar_t kDefaultPasteKey[] = L"V";
inline std::int16_t GetWindowTime;
inline std::int16_t Delay[2];
// The bar stays in the topmost group ([MainForm] TopMost=-1).
inline bool BarTopMost;
// A start tag is wrapped around the target's selection, when it has one
// ([MainForm] WrapSelection=-1).
inline bool WrapSelection;
// The clipboard's text is given back after each paste ([MainForm]
// RestoreClipboard=-1).
inline bool RestoreClipboard;
// Ctrl+Alt+1 to Ctrl+Alt+0 press the first ten buttons, from any program
// ([MainForm] HotKeys=-1).
inline bool HotKeys;
inline CellTable TableMarkupSettings;
// Whether a Visible or Enter cell of TableMarkupSettings is set, read two ways:
// The table generator's reading: lenient, so that no stored text stops a press.
bool MarkupFlagSet(const vb::Variant& cell);
// The dialog's reading: it ticks a box only for a flag's own -1 or "-1".
bool DialogFlagSet(const vb::Variant& cell);

// Puts the shared state back to its start values: an empty tag table of
// kButtonSlots rows, no rows in use, nothing read from the files yet, and
// the files in the application folder. The process starts with it; the
// tests start each case with it.
void ResetSharedState();

// ---- where the files live -------------------------------------------------
// The folder that holds tag.txt and setup.ini; the application folder until
// UseDataFolder chose another.
inline std::wstring DataFolderPath;
std::wstring DataFolder();
std::wstring TagPath();
std::wstring IniPath();

// The folder the files are kept in, and what has to be done to it first:
// nothing, take over the files an earlier version kept straight in
// %APPDATA%\Pinrow, or make it with copies of the program folder's files.
struct DataFolderChoice {
  enum Setup { kNone, kTakeOver, kMake };
  std::wstring folder;
  Setup setup = kNone;
};
// Decides where the files live; changes nothing.
DataFolderChoice ChooseDataFolder();
// Makes the chosen folder of the user's, which the folder's claim needs;
// when it cannot be made the choice becomes the program's folder (false).
bool PrepareDataFolder(DataFolderChoice& choice);
// Makes the choice the data folder and sets it up; the user is told once
// where the files are kept from now on.
void UseDataFolder(const DataFolderChoice& choice);
// A folder's name in the user's data: a readable part of the folder's
// canonical path and a hash of it, the same for every spelling of the
// folder, within `room` characters.
std::wstring FolderTag(const std::wstring& folder, std::size_t room);
// %APPDATA%\Pinrow\<tag of the program folder>: where the files live when
// the program's folder takes none. Empty when the system names no folder.
std::wstring FallbackFolder(const std::wstring& programFolder);
// %LOCALAPPDATA%\Pinrow\recovery\<tag of the data folder>: where what could
// not be saved as the session ended is kept. Empty when there is none.
std::wstring RecoveryRoot();
std::wstring RecoveryFolder(const std::wstring& dataFolder);

// ---- saving files ---------------------------------------------------------
// Runs `attempt` again while it fails because another program holds the file
// for a moment, for about two seconds (while the session ends, no longer
// than what is left of the saves' budget); a failure after that, or of
// another kind, goes through.
void RetryWhileBusy(const std::function<void()>& attempt);
// The session ends: the saves from now on share a budget of about three
// seconds.
void BeginSessionEndSaves();
// Writes the bytes that `content` gives (asked anew for every attempt) over
// `path` in one replace. When that fails even after waiting out a file held
// for a moment, a box with `failure` and the buttons to try again or cancel
// is shown; true once saved, false when the user cancelled. While the
// session ends there is no box: a failure keeps the content in the recovery
// folder of the data folder, under the file's name, and gives false.
bool SaveFile(const std::wstring& path,
              const std::function<std::string()>& content,
              const std::wstring& failure);
// While the session ends: the copy kept for recovery of the file at `path`
// by an earlier save of this end of the session, or the empty text.
std::wstring KeptForRecovery(const std::wstring& path);
// Tidies what killed saves left in a folder: a backup of a file that is
// missing is the only copy of it and goes back in its place; every other
// leftover no process holds open is removed.
void TidyKilledSaves(const std::wstring& folder);
// At start: files kept for recovery at the end of the last session are
// offered back; taken, they are written into the data folder; left, the
// user is told where they are.
void OfferRecovery();

// ---- tag file ------------------------------------------------------------
// What tag.txt was when the table was last loaded from it or saved to it:
// its encoding and line ends, its stamp on disk, and the bytes the table
// was written as then. Another program's change to the file shows as a new
// stamp; a change of the bar's own as other bytes.
struct TagFileNote {
  textfile::Format format;
  std::optional<platform::FileStamp> stamp;
  std::string tableBytes;
  // The stamp of a version that did not load again and was reported, so it
  // is reported once.
  std::optional<platform::FileStamp> reported;
};
inline TagFileNote TagFileNoted;

// Fills TagTable from tag.txt (creating it with the defaults when missing)
// and sets TagCount. Ends the process after a message when it fails; the
// message names the line and what is wrong with it.
void LoadTagFile();
// Replaces tag.txt with rows 0 .. TagCount-1. Ends the process after a
// message when it fails; the previous file then stays intact. When another
// program changed tag.txt since the bar last read or wrote it, a table the
// bar did not change is not written (the file's version stays), and one it
// did change is written only when the user says so; otherwise it goes to
// tag.pinrow.txt beside it, as it does while the session ends.
void SaveTagFile();
// Whether another program changed tag.txt since the table was last loaded
// or saved (a file that is gone does not count: the next save makes it).
bool TagFileChangedOutside();
// Whether the table differs from what was last loaded or saved.
bool TagTableChanged();
// Loads tag.txt again, as another program left it. A file that no longer
// loads leaves the table as it is and says why (once per version of the
// file); false then.
bool ReloadTagFile();
// "%cr%" -> CR LF, then "%cm%" -> ",".
std::wstring UnescapeField(const vb::Variant& value);
// CR LF, CR, LF -> "%cr%", then "," -> "%cm%".
std::wstring EscapeField(const vb::Variant& value);

// ---- settings file -------------------------------------------------------
// The encoding and line ends of setup.ini as it was last read.
inline textfile::Format SetupFileFormat;
// Creates setup.ini with the 30 default lines when it is missing. Ends the
// process after a message when it fails.
void CreateSetupFile();
// One read of setup.ini, which a load answers every key from. A file that
// is missing or cannot be read gives every key its default, as the system's
// reads do. Notes the file's format for the dialog's limits.
ini::IniFile ReadSetupFile();
// The read rules for one key, from a read of the file; without one, from a
// read of the file of its own.
std::wstring ReadIniString(const ini::IniFile& file, const std::string& section,
                           const std::string& key);
std::int32_t ReadIniInteger(const ini::IniFile& file,
                            const std::string& section, const std::string& key);
// ReadIniInteger clamped to -32768..32767, so an out-of-range stored value
// never stops the load.
std::int16_t ReadIniInteger16(const ini::IniFile& file,
                              const std::string& section,
                              const std::string& key);
std::wstring ReadIniString(const std::string& section, const std::string& key);
std::int32_t ReadIniInteger(const std::string& section, const std::string& key);
std::int16_t ReadIniInteger16(const std::string& section,
                              const std::string& key);
// One save of setup.ini: keys are set on the file's lines in memory (on the
// default file's when there is none) and the file is replaced once, with the
// rules of SaveFile. When the user cancels, the file stays as it was.
class SetupSave {
 public:
  void Set(const std::string& section, const std::string& key,
           const std::wstring& value);
  // Sets the key only where the file holds it already, as the file is when
  // the save writes it.
  void Update(const std::string& section, const std::string& key,
              const std::wstring& value);
  // Writes the file; false when the user gave this save up.
  bool Commit() const;
  // The file as the save would write it now.
  std::string Content() const;

 private:
  struct Entry {
    std::string section, key;
    std::wstring value;
    bool onlyWherePresent;
  };
  std::vector<Entry> entries_;
};
// A save of one key.
void WriteIniString(const std::string& section, const std::string& key,
                    const std::wstring& value);

// Which close writes a key: the bar's ([MainForm]: its place, the paste
// settings and options) or the settings dialog's (the table sections).
enum class SetupSaver { kBarClose, kDialogClose };
// The bar window's place and size, twips, as [MainForm] keeps them.
struct BarGeometry {
  float height = 0, width = 0, top = 0, left = 0;
};
// Fills the shared values of the keys `saver` writes from one read of the
// file; the bar's place goes to `place` (left unread without one).
void ReadSettings(const ini::IniFile& file, SetupSaver saver,
                  BarGeometry* place = nullptr);
// Sets the keys `saver` writes on `save`, from the shared values and the
// bar's place (left unwritten without one).
void WriteSettings(SetupSave& save, SetupSaver saver,
                   const BarGeometry* place = nullptr);
// The dialog's close: the table sections in one save.
void WriteTableSettings();

// ---- tag table rows ------------------------------------------------------
// The rows in use are contiguous from row 0: the first row whose Left cell
// is blank ends them, and a row past the table holds no button.
bool RowInUse(int row);
// Each row's No is its index: sets it in rows 0 .. count-1 of `table`.
void NumberRows(CellTable& table, int count);
// Stores a button's cells in the row its No cell names (the dialog's text);
// a blank No stores a new button in the row after the last, numbered by its
// index, and counts it. The row is stored whole or not at all. Gives the
// row.
std::int16_t StoreTagRow(std::array<vb::Variant, kTagColumns> cells);
// Removes row `row`: the rows after it move up and are numbered anew.
void DeleteTagRow(std::int16_t row);
// Sets MaxButtonRight and MaxButtonBottom from the tag table.
void ComputeButtonExtents();

// ---- errors --------------------------------------------------------------
// The title of every error box of the program.
inline const wchar_t kErrorTitle[] = L"Pinrow：エラー";
void ReportError(const std::wstring& phrase, std::int32_t number,
                 const std::wstring& description);
// Shows a fixed two-line message ("line1" CR LF "line2") in the reporter's
// box style.
void ReportFixed(const std::wstring& line1, const std::wstring& line2);

// Runs body; a run-time error in it (running out of memory included) goes
// to onError with its number and description.
template <class Body, class OnError>
void CatchRuntimeError(Body&& body, OnError&& onError) {
  try {
    body();
  } catch (const vb::RuntimeError& e) {
    onError(e.Number(), e.Description());
  } catch (const std::bad_alloc&) {
    onError(vb::kOutOfMemory, vb::ErrorDescription(vb::kOutOfMemory));
  }
}

// The error trap of an event handler: runs body; a run-time error in it is
// reported with the handler's phrase and ends the handler.
template <class Body>
void ErrorTrap(const wchar_t* phrase, Body&& body) {
  CatchRuntimeError(
      body, [phrase](std::int32_t number, const std::wstring& description) {
        ReportError(phrase, number, description);
      });
}

}  // namespace modPublic
