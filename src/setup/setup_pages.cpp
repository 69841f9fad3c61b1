// Layout of the settings dialog: the tab control with its four pages, every
// control in its design state, and the wiring of the events. Positions are
// twips; a control on a page is placed relative to the tab control's
// corner, one inside a frame relative to the frame's corner. The order of
// adding is the tab order within each page.
#include <memory>
#include <optional>
#include <string>

#include "platform/texts.h"
#include "setup/frmSetup.h"
#include "store/modPublic.h"

using namespace platform;

namespace {

// The guide that comes with the program, which the About page opens.
const wchar_t kGuideName[] = L"はじめにお読みください.txt";
// The tab control's size; its pages share its corner.
constexpr float kTabsLeft = 120;
constexpr float kTabsTop = 120;
constexpr float kTabsWidth = 6405;
constexpr float kTabsHeight = 6135;

constexpr float kBoxHeight = 270;  // single-line text boxes
constexpr float kSpinSize = 255;   // the small scroll bars beside number boxes
constexpr int kListRows = 5;
constexpr float kListTop = 4620;
constexpr float kListRowStep = 255;
// A pixel's gap at 96 dpi between a text and what follows it.
constexpr float kTextGap = 15;
// The etched line a frame draws inside its edges.
constexpr float kFrameLine = 30;

FontSpec ListHeaderFont() { return {L"ＭＳ Ｐゴシック", 9, true, 128}; }

// A label as wide as its caption; with a maxWidth, drawn smaller when the
// caption would run wider.
Label& AddText(Container& c, const std::wstring& caption, float left, float top,
               float maxWidth = 0) {
  LabelArgs args;
  args.caption = caption;
  args.left = left;
  args.top = top;
  args.maxWidth = maxWidth;
  return c.AddLabel(args);
}

TextBoxArgs BoxArgs(float left, float top, float width, float height) {
  TextBoxArgs args;
  args.left = left;
  args.top = top;
  args.width = width;
  args.height = height;
  return args;
}

// The balloon of an edit a box does not take (titled kRefusedTitle).
const wchar_t kChangesWhenSaved[] =
    L"この文字の並びはファイルに保存すると別の文字に変わるため、入力できません"
    L"。";

// Every line break reads back from tag.txt as CR LF.
std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' || text[i] == L'\n') {
      out += L"\r\n";
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// A caption or tag comes back from tag.txt as it was typed, apart from the
// kind of line break: the file's escapes can't keep some sequences ("%cm%",
// "%cr,") apart from the characters they stand for.
std::optional<EditRefusal> ReadsBackFromTagFile(const std::wstring& text) {
  using modPublic::EscapeField;
  using modPublic::UnescapeField;
  if (WithCrLf(UnescapeField(EscapeField(text))) == WithCrLf(text))
    return std::nullopt;
  return EditRefusal{kRefusedTitle, kChangesWhenSaved};
}

// A value of setup.ini stays on one line: a line break would end the value
// and start a line of its own in the file. What the user types is held to
// 255 bytes in the file's encoding (a longer paste keeps the whole
// characters that fit); a value already longer (a hand edit) is kept whole,
// and in its box deleting is taken but adding is not. The file does not
// give back everything it is given: a read drops blanks at the value's
// ends and a pair of quotation marks around it (" x " reads as "x",
// "'a'" as "a"). `box` is the box judged, whose Text() is the text before
// the edit.
EditJudge FitsInSetupIni(std::shared_ptr<TextBox*> box) {
  return [box](const std::wstring& text) -> std::optional<EditRefusal> {
    constexpr std::size_t kIniValueBytes = 255;
    if (text.find_first_of(L"\r\n") != std::wstring::npos)
      return EditRefusal{kRefusedTitle, kChangesWhenSaved};
    const textfile::Encoding encoding = modPublic::SetupFileFormat.encoding;
    const std::size_t bytes = textfile::EncodedSize(text, encoding);
    const std::size_t before =
        *box ? textfile::EncodedSize((*box)->Text(), encoding) : 0;
    if (bytes <= kIniValueBytes || bytes <= before) return std::nullopt;
    return EditRefusal{
        kRefusedTitle,
        L"ファイルに保存できる長さを超えるため、ここまでしか入力できません。",
        true};
  };
}

// A text box the user types a caption or a tag into: only text that
// tag.txt keeps as it is (in code page 932, only the characters it holds).
TextBox& AddEditBox(Container& c, float left, float top, float width,
                    float height, bool multiLine) {
  TextBoxArgs args = BoxArgs(left, top, width, height);
  args.multiLine = multiLine;
  args.verticalScrollBar = multiLine;
  args.ansiOnly =
      !textfile::StoresAnyCharacter(modPublic::TagFileNoted.format.encoding);
  args.acceptEdit = ReadsBackFromTagFile;
  return c.AddTextBox(args);
}

// A read-only number box that only its scroll bar changes. It is left out
// of the tab order: the keyboard reaches the value through the scroll bar.
TextBox& AddNumberBox(Container& c, float left, float top, float width) {
  TextBoxArgs args = BoxArgs(left, top, width, kBoxHeight);
  args.text = L"0";
  args.locked = true;
  args.tabStop = false;
  args.alignment = Align::Center;
  args.backColor = Color::System(kColorButtonFace);
  return c.AddTextBox(args);
}

// A scroll bar in its design state; the opening sets its range.
VScrollBar& AddScrollBar(Container& c, float left, float top, float width,
                         float height) {
  VScrollBarArgs args;
  args.left = left;
  args.top = top;
  args.width = width;
  args.height = height;
  return c.AddVScrollBar(args);
}

DropDownList& AddList(Container& c, float left, float top, float width) {
  DropDownListArgs args;
  args.left = left;
  args.top = top;
  args.width = width;
  args.height = 300;
  return c.AddDropDownList(args);
}

CheckBox& AddBoxOnRight(Container& c, const std::wstring& caption, float left,
                        float top, bool enabled) {
  CheckBoxArgs args;
  args.caption = caption;
  args.left = left;
  args.top = top;
  args.boxOnRight = true;
  args.enabled = enabled;
  return c.AddCheckBox(args);
}

// A label as wide as its caption, centred across the page, so that only
// the text is a click target.
Label& AddCentred(Container& page, const std::wstring& caption, float top,
                  const LabelArgs& style = LabelArgs()) {
  LabelArgs args = style;
  args.caption = caption;
  args.top = top;
  Label& label = page.AddLabel(args);
  label.SetLeft((kTabsWidth - label.Width()) / 2);
  return label;
}

}  // namespace

void frmSetup::CreateControls() {
  TabControlArgs tabs;
  tabs.left = kTabsLeft;
  tabs.top = kTabsTop;
  tabs.width = kTabsWidth;
  tabs.height = kTabsHeight;
  tabs.captions = {L"一般", L"テーブル", L"設定", L"About"};
  SSTab1 = &form_->AddTabControl(tabs);
  CreateGeneralPage(SSTab1->Page(0));
  CreateButtonList(SSTab1->Page(0));
  CreateTablePage(SSTab1->Page(1));
  CreateSettingsPage(SSTab1->Page(2));
  CreateAboutPage(SSTab1->Page(3));

  // "閉じる" is the only way out and applies everything, so Esc presses it.
  CommandButtonArgs close;
  close.left = 5280;
  close.top = 6360;
  close.width = 1215;
  close.height = 375;
  close.caption = L"閉じる";
  close.isCancel = true;
  cmdClose = &form_->AddCommandButton(close);
}

// The input form of one button: caption, start and end tag, size and
// position, with the register and delete buttons.
void frmSetup::CreateGeneralPage(Container& page) {
  Label5 = &AddText(page, L"ボタン、タグの登録編集を行います。", 120, 480);
  ShapeArgs box;
  box.left = 240;
  box.top = 780;
  box.width = 5895;
  box.height = 3495;
  Shape1 = &page.AddShape(box);

  Label6 = &AddText(page, L"ボタン名", 480, 915);
  txtInputCaption = &AddEditBox(page, 1440, 900, 3015, kBoxHeight, false);
  Label7 = &AddText(page, L"開始タグ", 480, 1275);
  txtInputTagS = &AddEditBox(page, 1440, 1260, 3000, 990, true);
  Label8 = &AddText(page, L"終了タグ", 480, 2355);
  txtInputTagE = &AddEditBox(page, 1440, 2340, 3000, 990, true);
  LabelArgs note;
  note.caption = L"｢終了タグ｣は必須項目ではありません。";
  note.left = 4560;
  note.top = 2400;
  // Wrapped before the frame's line, as the lines of markup on the table
  // page end before theirs.
  note.width = box.left + box.width - kFrameLine - kTextGap - note.left;
  note.height = 615;
  note.wordWrap = true;
  Label16 = &page.AddLabel(note);

  Label10 = &AddText(page, L"サイズ", 480, 3555);
  Label1 = &AddText(page, L"幅", 1440, 3570);
  txtInputWidth = &AddNumberBox(page, 1680, 3540, 880);
  vscInputWidth = &AddScrollBar(page, 2550, 3555, kSpinSize, kSpinSize);
  Label2 = &AddText(page, L"高さ", 3000, 3570);
  txtInputHeight = &AddNumberBox(page, 3360, 3540, 880);
  vscInputHeight = &AddScrollBar(page, 4230, 3555, kSpinSize, kSpinSize);
  Label9 = &AddText(page, L"位置", 480, 3915);
  Label3 = &AddText(page, L"上", 1440, 3930);
  txtInputTop = &AddNumberBox(page, 1680, 3900, 880);
  vscInputTop = &AddScrollBar(page, 2550, 3915, kSpinSize, kSpinSize);
  Label4 = &AddText(page, L"左", 3000, 3930);
  txtInputLeft = &AddNumberBox(page, 3360, 3900, 880);
  vscInputLeft = &AddScrollBar(page, 4230, 3915, kSpinSize, kSpinSize);

  CommandButtonArgs save;
  save.left = 4680;
  save.top = 900;
  save.caption = L"登録";
  cmdSave = &page.AddCommandButton(save);
  CommandButtonArgs remove = save;
  remove.top = 1380;
  remove.caption = L"削除";
  cmdDelete = &page.AddCommandButton(remove);

  TextBoxArgs no;
  no.visible = false;
  no.tabStop = false;
  txtInputNo = &page.AddTextBox(no);
}

// The grid of five rows by four columns of read-only cells under a header
// row, on a disabled box that serves as its background, with its scroll bar.
void frmSetup::CreateButtonList(Container& page) {
  TextBoxArgs back = BoxArgs(240, 4350, 5940, 1580);
  back.enabled = false;
  back.tabStop = false;
  Text9 = &page.AddTextBox(back);

  struct Column {
    TextBox** header;
    ControlArray<TextBox>* cells;
    const wchar_t* caption;
    float left, width;
  } const columns[] = {
      {&txtListNo_Caption, &txtListNo, L"No", 270, 280},
      {&txtListCaption_Caption, &txtListCaption, L"ボタン名", 540, 1410},
      {&txtListTagS_Caption, &txtListTagS, L"開始タグ", 1935, 2000},
      {&txtListTagE_Caption, &txtListTagE, L"終了タグ", 3920, 2000},
  };
  for (const Column& col : columns) {
    TextBoxArgs header = BoxArgs(col.left, 4380, col.width, kBoxHeight);
    header.text = col.caption;
    header.enabled = false;
    header.locked = true;
    header.tabStop = false;
    header.alignment = Align::Center;
    header.backColor = Color::Rgb(224, 224, 224);
    header.font = ListHeaderFont();
    header.flat = true;
    *col.header = &page.AddTextBox(header);
  }
  // Row by row, so Tab walks the grid as it reads.
  for (int k = 0; k < kListRows; ++k) {
    for (const Column& col : columns) {
      TextBoxArgs cell =
          BoxArgs(col.left, kListTop + kListRowStep * k, col.width, kBoxHeight);
      cell.locked = true;
      cell.flat = true;
      if (col.cells == &txtListNo) cell.alignment = Align::Center;
      col.cells->push_back(&page.AddTextBox(cell));
    }
  }
  vscList = &AddScrollBar(page, 5910, kListTop, kSpinSize, 1290);
}

// One frame per element of the table markup, each a line of markup with the
// attribute box in it, followed by the two options.
void frmSetup::CreateTablePage(Container& page) {
  struct Element {
    const wchar_t* frame;
    const wchar_t* open;
    const wchar_t* close;
  } const elements[] = {
      {L"TABLE", L"<table ", L">～</table>"},
      {L"CAPTION", L"<caption", L">～</caption>"},
      {L"TH", L"<th", L">～</th>"},
      {L"TR", L"<tr", L">～</tr>"},
      {L"TD", L"<td", L">～</td>"},
  };
  for (int e = 0; e < 5; ++e) {
    const float top = 480 + 1080 * e;
    FrameArgs frame;
    frame.left = 120;
    frame.top = top;
    frame.width = 6135;
    frame.height = 975;
    frame.caption = elements[e].frame;
    Frame& f = page.AddFrame(frame);
    Frame1.push_back(&f);
    Label19.push_back(&AddText(f, L"属性：", 240, 240));
    // The attribute box lies on the page, over its frame; the markup's
    // opening ends before the box, its closing before the frame's line.
    TextBoxArgs quality = BoxArgs(1560, top + 190, 3375, kBoxHeight);
    const float open = 750, close = 4920;
    Label17.push_back(&AddText(f, elements[e].open, open, 240,
                               quality.left - frame.left - open - kTextGap));
    Label18.push_back(&AddText(f, elements[e].close, close, 240,
                               frame.width - close - kFrameLine - kTextGap));
    quality.ansiOnly =
        !textfile::StoresAnyCharacter(modPublic::SetupFileFormat.encoding);
    auto judged = std::make_shared<TextBox*>(nullptr);
    quality.acceptEdit = FitsInSetupIni(judged);
    *judged = &page.AddTextBox(quality);
    txtQuality.push_back(*judged);
    chkEnter.push_back(
        &AddBoxOnRight(f, L"タグの前後に改行を入れる：", 240, 600, true));
    // Only the caption and the header row may be left out of the markup.
    const bool optional = e == 1 || e == 2;
    chkVisiblechk.push_back(
        &AddBoxOnRight(f, L"挿入する：", 3240, 600, optional));
  }
}

// The paste shortcut and the three timings, each number box with its
// scroll bar; below the delays, the options of the bar and the paste.
void frmSetup::CreateSettingsPage(Container& page) {
  Label12 =
      &AddText(page, L"Windowsの｢貼り付け｣ショートカットキー：", 240, 660);
  cmbPasteShift = &AddList(page, 3480, 600, 975);
  LabelArgs plus;
  plus.caption = L"+";
  plus.left = 4440;
  plus.top = 615;
  plus.font = {L"ＭＳ Ｐゴシック", 12, false, 128};
  Label11 = &page.AddLabel(plus);
  cmbPasteKey = &AddList(page, 4680, 600, 855);

  Label23 = &AddText(page, L"ウィンドの取得時間：", 240, 990);
  txtGetWindowTime = &AddNumberBox(page, 1800, 960, 855);
  vscGetWindowTime = &AddScrollBar(page, 2655, 960, kSpinSize, kSpinSize);

  ShapeArgs box;
  box.left = 240;
  box.top = 1440;
  box.width = 5895;
  box.height = 1095;
  Shape2 = &page.AddShape(box);
  // The heading sits on the box's top edge and hides the line behind it.
  LabelArgs heading;
  heading.caption = L"遅延";
  heading.left = 360;
  heading.top = 1350;
  heading.opaque = true;
  Label20 = &page.AddLabel(heading);
  Label21 = &AddText(
      page, L"ウィンドを切り替えてからショートカットキー押すまで：", 600, 1680);
  txtDelay.push_back(&AddNumberBox(page, 4680, 1680, 855));
  vscDelay.push_back(&AddScrollBar(page, 5535, 1680, kSpinSize, kSpinSize));
  Label22 = &AddText(
      page, L"ショートカットキーを押してからキーを開放するまで：", 600, 2040);
  txtDelay.push_back(&AddNumberBox(page, 4680, 2040, 855));
  vscDelay.push_back(&AddScrollBar(page, 5535, 2040, kSpinSize, kSpinSize));
  // The options below the delay box, one a line, aligned with it.
  constexpr float kOptionLine = 360;
  float top = box.top + box.height + 165;
  const auto option = [&](const wchar_t* caption) {
    CheckBoxArgs args;
    args.caption = caption;
    args.left = box.left;
    args.top = top;
    top += kOptionLine;
    return &page.AddCheckBox(args);
  };
  chkTopMost = option(L"バーを常に手前に表示");
  chkWrapSelection = option(L"選択した文字列をタグで囲む");
  chkRestoreClipboard = option(L"貼り付け後にクリップボードを元に戻す");
  chkHotKeys = option(L"Ctrl+Alt+数字キーでボタンを押す");
}

// Icon, product name and version, then the maker's name and the copyright
// line from the program's version resource; between them the guide's name,
// a link that opens it when it lies beside the program, plain text when it
// does not.
void frmSetup::CreateAboutPage(Container& page) {
  const VersionInfo& info = version_;
  ImageArgs icon;
  icon.picture = Picture::AppIcon;
  icon.width = 960;  // 64 x 64 pixels
  icon.height = 960;
  icon.left = (kTabsWidth - icon.width) / 2;
  icon.top = 720;
  Image1 = &page.AddImage(icon);

  LabelArgs product;
  product.caption = L"Pinrow";
  product.left = 2460;
  product.top = 1920;
  product.font = {L"Bookman Old Style", 18, false, 0, 600};
  Label13 = &page.AddLabel(product);
  lblVersion = &AddText(page, L"", 2460, 2400);

  Label15 = &AddCentred(page, info.company, 3000);
  const std::wstring guide = platform::AppPath() + L"\\" + kGuideName;
  guide_ = platform::FileExists(guide) ? guide : L"";
  LabelArgs link;
  link.font = {L"ＭＳ Ｐゴシック", 9, false, 128};
  if (!guide_.empty()) {
    link.foreColor = Color::Rgb(0, 0, 255);
    link.font.underline = true;
    link.handCursor = true;
  }
  lblURL = &AddCentred(page, kGuideName, 3360, link);
  Label14 = &AddCentred(page, info.copyright, 3840);
}

void frmSetup::BindEvents() {
  form_->Unload = [this] { Form_Unload(); };
  cmdClose->Click = [this] { cmdClose_Click(); };
  lblURL->Click = [this] { lblURL_Click(); };
  vscGetWindowTime->Change = [this] { vscGetWindowTime_Change(); };
  for (int i = 0; i <= vscDelay.UBound(); ++i) {
    const auto Index = static_cast<std::int16_t>(i);
    vscDelay(i).Change = [this, Index] { vscDelay_Change(Index); };
  }
  vscList->Change = [this] { vscList_Change(); };
  for (int k = 0; k <= txtListNo.UBound(); ++k) {
    const auto Index = static_cast<std::int16_t>(k);
    txtListNo(k).GotFocus = [this, Index] { txtListNo_GotFocus(Index); };
    txtListCaption(k).GotFocus = [this, Index] {
      txtListCaption_GotFocus(Index);
    };
    txtListTagS(k).GotFocus = [this, Index] { txtListTagS_GotFocus(Index); };
    txtListTagE(k).GotFocus = [this, Index] { txtListTagE_GotFocus(Index); };
  }
  cmdSave->Click = [this] { cmdSave_Click(); };
  cmdDelete->Click = [this] { cmdDelete_Click(); };
  vscInputWidth->Change = [this] { vscInputWidth_Change(); };
  vscInputHeight->Change = [this] { vscInputHeight_Change(); };
  vscInputTop->Change = [this] { vscInputTop_Change(); };
  vscInputLeft->Change = [this] { vscInputLeft_Change(); };
  BindWheel();
}

// The mouse wheel over the grid scrolls the list a row a notch, and over a
// number box it steps the value, as the arrows of the scroll bar beside
// them do (the scroll bars take the wheel themselves).
void frmSetup::BindWheel() {
  const auto scrollList = [this](int notches) {
    vscList->ClickArrows(notches);
  };
  for (TextBox* cell : {Text9, txtListNo_Caption, txtListCaption_Caption,
                        txtListTagS_Caption, txtListTagE_Caption})
    cell->MouseWheel = scrollList;
  for (auto* column : {&txtListNo, &txtListCaption, &txtListTagS, &txtListTagE})
    for (TextBox* cell : *column) cell->MouseWheel = scrollList;

  const struct {
    TextBox* box;
    VScrollBar* bar;
  } numbers[] = {{txtInputWidth, vscInputWidth},
                 {txtInputHeight, vscInputHeight},
                 {txtInputTop, vscInputTop},
                 {txtInputLeft, vscInputLeft},
                 {txtGetWindowTime, vscGetWindowTime},
                 {txtDelay[0], vscDelay[0]},
                 {txtDelay[1], vscDelay[1]}};
  for (const auto& n : numbers) {
    VScrollBar* bar = n.bar;
    n.box->MouseWheel = [bar](int notches) { bar->ClickArrows(notches); };
  }
}
