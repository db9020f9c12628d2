#include "run/SourcePairs.h"

#include "engine/EngineTexts.h"
#include "platform/Paths.h"

#include <initializer_list>

namespace {

using enum SourceKind;
using enum PairOutcome;

using KindSet = unsigned;

constexpr KindSet kinds(std::initializer_list<SourceKind> list) {
    KindSet set = 0;
    for (const SourceKind kind : list)
        set |= 1u << unsigned(kind);
    return set;
}

constexpr KindSet AnyKind = ~0u;
constexpr KindSet AnySource = AnyKind & ~kinds({None});
constexpr KindSet TextSources = kinds({Document, TextFile});

// Which right names a rule applies to.
enum class NameTest { Any, Workbook, WorkbookOrCsv };

struct PairRule {
    KindSet left;
    KindSet right;
    NameTest when;
    PairOutcome outcome;
};

constexpr NameTest Any = NameTest::Any;
constexpr NameTest Book = NameTest::Workbook;
constexpr NameTest BookOrCsv = NameTest::WorkbookOrCsv;

// The first rule that matches wins; a pair that no rule names shows the left side alone.
// The binary toggle dumps every file of either side, so a dump never meets a workbook, a
// document or a text file, and no rule names such a pair.
// clang-format off
constexpr PairRule Rules[] = {
    // left                right                                         right name outcome

    // Nothing on the left: the right is shown alone, whatever it is.
    {kinds({None}),        AnySource,                                     Any,       RightAlone},

    // Two folders are compared; a folder beside anything else is listed alone.
    {kinds({Folder}),      kinds({Folder}),                               Any,       Compare},

    // A dump meets another file's bytes or the clipboard's; a folder on the right is listed
    // in front of it; beside a web page the dump is shown alone.
    {kinds({Hexadecimal}), kinds({Hexadecimal, Clipboard}),               Any,       Compare},
    {kinds({Hexadecimal}), kinds({Folder}),                               Any,       RightAlone},

    // A workbook goes on only to an existing path named like a workbook, or like a CSV under
    // the toggle. An .xlsx beside a .csv makes the .csv a text file (see sourceKind), which
    // is then compared as text against the workbook's no lines. A folder named so is listed.
    {kinds({Workbook}),    kinds({Workbook, TextFile}),                   BookOrCsv, Compare},
    {kinds({Workbook}),    kinds({Folder}),                               BookOrCsv, RightAlone},

    // A web page never goes on to a path named like a workbook or a CSV under the toggle, nor
    // to the clipboard. A folder or a dump on the right is shown in front of the page.
    {kinds({WebAddress}),  AnyKind,                                       BookOrCsv, LeftAlone},
    {kinds({WebAddress}),  kinds({WebAddress, Document, TextFile}),       Any,       Compare},
    {kinds({WebAddress}),  kinds({Folder, Hexadecimal}),                  Any,       RightAlone},

    // A document or a text file never goes on to a path named like a workbook (a CSV is text).
    // A folder on the right is listed alone.
    {TextSources,          AnyKind,                                       Book,      LeftAlone},
    {TextSources,          kinds({Document, TextFile, WebAddress, Clipboard}), Any,  Compare},
    {TextSources,          kinds({Folder}),                               Any,       RightAlone},

    // The clipboard never goes on to a path named like a workbook, nor to a folder. Beside a
    // web page only the page is shown: the two are never compared.
    {kinds({Clipboard}),   AnyKind,                                       Book,      LeftAlone},
    {kinds({Clipboard}),   kinds({Hexadecimal, Document, TextFile, Clipboard}), Any, Compare},
    {kinds({Clipboard}),   kinds({WebAddress}),                           Any,       RightAlone},
};
// clang-format on

bool holds(NameTest test, RightName name) {
    switch (test) {
    case NameTest::Any:
        return true;
    case NameTest::Workbook:
        return name.workbook;
    case NameTest::WorkbookOrCsv:
        return name.workbook || name.csvUnderToggle;
    }
    return false;
}

QString kindName(SourceKind kind) {
    switch (kind) {
    case None:
        break;
    case Folder:
        return QStringLiteral("フォルダ");
    case Hexadecimal:
        return QStringLiteral("バイナリ");
    case Workbook:
        return QStringLiteral("ブック");
    case Document:
        return QStringLiteral("文書");
    case TextFile:
        return QStringLiteral("テキスト");
    case WebAddress:
        return QStringLiteral("URL");
    case Clipboard:
        return ClipboardWord;
    }
    return QString();
}

} // namespace

RightName rightNameOf(const Workspace &ws, const Source &right) {
    return {isWorkbookExtension(right.extension),
            ws.Csv && right.extension == QLatin1String("csv")};
}

PairOutcome pairOutcome(SourceKind left, SourceKind right, RightName name) {
    for (const PairRule &rule : Rules) {
        if ((rule.left & kinds({left})) && (rule.right & kinds({right})) && holds(rule.when, name))
            return rule.outcome;
    }
    return LeftAlone;
}

QString whyNotCompared(const Workspace &ws, const SourcePair &sources) {
    const QString &path1 = sources[0].path, &path2 = sources[1].path;
    if (path1.isEmpty() || path2.isEmpty() || isNullDevice(path1) || isNullDevice(path2))
        return QString(); // one side alone, as asked
    if (path1 == path2 && path1 != ClipboardWord)
        return EngineTexts::SamePaths;
    const SourceKind left = sources[0].kind;
    const SourceKind right = sources[1].kind;
    // A workbook "compared" with text meets no lines of its own: the text passes for added.
    const bool oneWorkbook = (left == Workbook) != (right == Workbook);
    if (pairOutcome(left, right, rightNameOf(ws, sources[1])) == Compare && !oneWorkbook)
        return QString();
    return EngineTexts::NotCompared.arg(kindName(left), kindName(right));
}
