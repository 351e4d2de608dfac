#include "ui/qt_prompt.h"

#include "ui/color_ref.h"
#include "ui/file_filter.h"
#include "ui/gui_thread.h"
#include "ui/local_path.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QSpacerItem>

#include <algorithm>
#include <cstdio>

namespace rz {
namespace {

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QMessageBox::Icon boxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Stop: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

PromptAnswer toAnswer(QMessageBox::StandardButton button, PromptAnswer otherwise)
{
    switch (button) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    case QMessageBox::Cancel: return PromptAnswer::Cancel;
    default: return otherwise;
    }
}

// A window manager elides a title wider than its window: a box for a short
// question is widened to the title plus room for the title bar's icon and
// buttons. QMessageBox sizes itself from its grid, so the room goes there.
void keepTitleWhole(QMessageBox& box)
{
    constexpr int kTitleBarRoom = 200; // pixels: window icon, close, minimise, margins
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int wide = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleBarRoom;
    grid->addItem(new QSpacerItem(wide, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

QtPrompt::QtPrompt(QWidget* parent) : m_parent(parent) {}

bool QtPrompt::canShow(std::string_view what)
{
    if (isGuiThread())
        return true;
    std::fprintf(stderr, "%.*s\n", int(what.size()), what.data());
    return false;
}

QMessageBox::StandardButton QtPrompt::ask(std::string_view text, PromptIcon icon,
                                          QMessageBox::StandardButtons buttons,
                                          QMessageBox::StandardButton defaultButton,
                                          QMessageBox::StandardButton offThreadAnswer)
{
    if (!canShow(text))
        return offThreadAnswer;
    QMessageBox box(boxIcon(icon), QString::fromLatin1(kPromptTitle), qText(text), buttons,
                    m_parent);
    // Texts may carry what a server or a file said: never rich text.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    keepTitleWhole(box);
    return QMessageBox::StandardButton(box.exec());
}

void QtPrompt::message(std::string_view text, PromptIcon icon)
{
    ask(text, icon, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

PromptAnswer QtPrompt::askYesNo(std::string_view text, PromptIcon icon)
{
    const auto button = ask(text, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
                            QMessageBox::No);
    return toAnswer(button, PromptAnswer::No);
}

PromptAnswer QtPrompt::askOkCancel(std::string_view text, PromptIcon icon)
{
    const auto button = ask(text, icon, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok,
                            QMessageBox::Cancel);
    return toAnswer(button, PromptAnswer::Cancel);
}

PromptAnswer QtPrompt::askYesNoCancel(std::string_view text, PromptIcon icon)
{
    const auto button =
        ask(text, icon, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
            QMessageBox::Yes, QMessageBox::Cancel);
    return toAnswer(button, PromptAnswer::Cancel);
}

std::optional<std::filesystem::path> QtPrompt::chooseSavePath(
    std::string_view title, const std::filesystem::path& proposed, std::string_view filter)
{
    if (!canShow(title))
        return std::nullopt;
    const QString qtFilter = toQtFilter(filter);
    QFileDialog dialog(m_parent, qText(title), qtPath(proposed), qtFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix(qtFilter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return localPath(withDefaultSuffix(dialog.selectedFiles().first(), dialog.defaultSuffix()));
}

std::optional<std::filesystem::path> QtPrompt::chooseOpenPath(
    std::string_view title, const std::filesystem::path& folder, std::string_view filter)
{
    if (!canShow(title))
        return std::nullopt;
    const QString chosen =
        QFileDialog::getOpenFileName(m_parent, qText(title), qtPath(folder), toQtFilter(filter));
    if (chosen.isEmpty())
        return std::nullopt;
    return localPath(chosen);
}

std::vector<std::filesystem::path> QtPrompt::chooseOpenPaths(
    std::string_view title, const std::filesystem::path& folder, std::string_view filter)
{
    std::vector<std::filesystem::path> paths;
    if (!canShow(title))
        return paths;
    for (const QString& chosen : QFileDialog::getOpenFileNames(m_parent, qText(title),
                                                               qtPath(folder), toQtFilter(filter)))
        paths.push_back(localPath(chosen));
    return paths;
}

std::optional<std::filesystem::path> QtPrompt::chooseFolder(std::string_view title,
                                                            const std::filesystem::path& start)
{
    if (!canShow(title))
        return std::nullopt;
    const QString chosen =
        QFileDialog::getExistingDirectory(m_parent, qText(title), qtPath(start));
    if (chosen.isEmpty())
        return std::nullopt;
    return localPath(QDir::cleanPath(chosen));
}

std::optional<Color> QtPrompt::chooseColor(Color initial)
{
    if (!canShow("Choose a colour"))
        return std::nullopt;
    const QColor chosen = QColorDialog::getColor(fromColorRef(initial), m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    return toColorRef(chosen);
}

std::optional<FontChoice> QtPrompt::chooseFont(const FontChoice& initial)
{
    if (!canShow("Choose a font"))
        return std::nullopt;
    QFont font(QString::fromStdString(initial.family), initial.pointSize);
    font.setWeight(QFont::Weight(std::clamp(initial.weight, 1, 1000)));
    font.setItalic(initial.italic);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, m_parent);
    if (!ok)
        return std::nullopt;
    return FontChoice{chosen.family().toStdString(), chosen.pointSize(), int(chosen.weight()),
                      chosen.italic()};
}

} // namespace rz
