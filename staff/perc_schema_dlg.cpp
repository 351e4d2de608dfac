#include "staff/perc_schema_dlg.h"

#include "core/prompt.h"
#include "core/text_codec.h"
#include "dialogs/field_values.h"
#include "dialogs/spin_edit.h"
#include "staff/model/staff_model.h"
#include "staff/symbols/music_font.h"
#include "staff/symbols/note_symbols.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace rz {

namespace {

constexpr std::array<const char*, kPercussionHeadChoices> kHeadNames = {"Oval", "Square", "Triangle", "Diamond", "X"};
constexpr std::array<const char*, kPercussionCircleChoices> kCircleNames = {"None", "Circle", "Plus",
                                                                            "Bisected circle"};
constexpr const char* kPercSchemaHelpTopic = "::/PSchema.htm";
constexpr const char* kDefaultsQuestion = "Set to defaults--are you sure?";

enum Column { kNumberColumn, kNameColumn, kHeadColumn, kOffsetColumn };
constexpr std::array<int, 4> kColumnWidths = {20, 100, 40, 40}; // pixels at 96 dpi

// The preview's staff height (the music font's pixel size) and a quarter note.
constexpr int kPreviewStaff = 24;
constexpr int kQuarterValue = 16;

// A glyph or mark fills 4/5 of its square, as the font's heads fill a row.
constexpr double kGlyphShare = 0.8;

QString numberText(int value)
{
    return QString::number(value);
}

} // namespace

CPercSchemaDlg::CPercSchemaDlg(IDrumSchemaTree& tree, DrumSetRef set, int firstItem, const MusicFont* font,
                               IPrompt& prompt, QWidget* parent)
    : DialogBase(parent, kPercSchemaHelpTopic), m_model(tree, set), m_tree(tree),
      m_font(font && font->ok() ? font : nullptr), m_prompt(prompt)
{
    setWindowTitle("Percussion display schema");
    buildControls();
    fillRows();
    const std::optional<size_t> first = m_model.rowOfItem(firstItem);
    if (first) {
        m_list->setCurrentItem(m_list->topLevelItem(static_cast<int>(*first)));
        m_list->scrollToItem(m_list->currentItem());
    }
    showSelection();
}

// Controls are made in tab order: the list, the note's fields, the buttons.
void CPercSchemaDlg::buildControls()
{
    makeList();
    makeFields();
    layOut();
    connectControls();
}

// The notes with their columns all shown at once.
void CPercSchemaDlg::makeList()
{
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({"#", "Name", "Head", "Offset"});
    for (size_t column = 0; column < kColumnWidths.size(); ++column)
        m_list->setColumnWidth(static_cast<int>(column), kColumnWidths[column] * logicalDpiX() / 96);
    int columnsWidth = 0;
    for (int column = 0; column < m_list->columnCount(); ++column)
        columnsWidth += m_list->columnWidth(column);
    m_list->setMinimumWidth(columnsWidth + 2 * m_list->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const int rowHeight = m_list->fontMetrics().height();
    m_list->setIconSize(QSize(rowHeight, rowHeight));
}

// The chosen note's head, circle, articulation and offset, and its preview.
void CPercSchemaDlg::makeFields()
{
    const int comboGlyph = fontMetrics().height();
    m_head = new QComboBox(this);
    m_head->setIconSize(QSize(comboGlyph, comboGlyph));
    for (int head = 0; head < kPercussionHeadChoices; ++head)
        m_head->addItem(QIcon(headPixmap(head, comboGlyph)), kHeadNames[size_t(head)]);
    m_circle = new QComboBox(this);
    m_circle->setIconSize(QSize(comboGlyph, comboGlyph));
    for (int circle = 0; circle < kPercussionCircleChoices; ++circle)
        m_circle->addItem(QIcon(circlePixmap(circle, comboGlyph)), kCircleNames[size_t(circle)]);
    m_articulation = new QComboBox(this);
    m_articulation->addItems({"No", "Yes"});
    m_offset = new SpinEdit(this);
    m_preview = new QLabel(this);
    m_preview->setFixedSize(kPreviewSize, kPreviewSize);
    m_preview->setFrameShape(QFrame::Box);
}

// The fields and buttons in a column beside the list.
void CPercSchemaDlg::layOut()
{
    m_copy = new QPushButton("Copy schema from...", this);
    m_copy->setEnabled(false);
    m_defaults = new QPushButton("Set to GM defaults", this);
    QPushButton* help = helpButton();
    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);

    auto* fields = new QFormLayout;
    fields->addRow("Notehead:", m_head);
    fields->addRow("Articulation:", m_articulation);
    fields->addRow("Circle:", m_circle);
    fields->addRow("Offset:", m_offset);
    auto* side = new QVBoxLayout;
    side->addLayout(fields);
    side->addWidget(m_preview, 0, Qt::AlignHCenter);
    side->addStretch();
    side->addWidget(m_copy);
    side->addWidget(m_defaults);
    side->addWidget(help);
    side->addWidget(ok);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(side);
    connect(ok, &QPushButton::clicked, this, &CPercSchemaDlg::accept);
}

void CPercSchemaDlg::connectControls()
{
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { showSelection(); });
    connect(m_head, &QComboBox::currentIndexChanged, this, [this](int index) { headChosen(index); });
    connect(m_circle, &QComboBox::currentIndexChanged, this, [this](int index) { circleChosen(index); });
    connect(m_articulation, &QComboBox::currentIndexChanged, this,
            [this](int index) { articulationChosen(index); });
    connect(m_offset, &QLineEdit::textEdited, this, [this](const QString& text) { offsetTyped(text); });
    connect(m_offset, &SpinEdit::stepRequested, this, [this](bool up) { offsetStep(up); });
    connect(m_offset, &SpinEdit::focusLost, this, [this] { showSelection(); });
    connect(m_copy, &QPushButton::clicked, this, [this] { OnCopySchema(); });
    connect(m_defaults, &QPushButton::clicked, this, [this] { OnGmDefaults(); });
}

void CPercSchemaDlg::setPickSchemaSource(PickSchemaSource pick)
{
    m_pick = std::move(pick);
    m_copy->setEnabled(static_cast<bool>(m_pick));
}

// ---- rows

void CPercSchemaDlg::fillRows()
{
    for (size_t row = 0; row < m_model.rowCount(); ++row) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(kNumberColumn, numberText(static_cast<int>(m_model.row(row).word & 0xFF)));
        item->setText(kNameColumn, QString::fromStdString(decodeText(m_model.row(row).name)));
        showRow(row);
    }
}

void CPercSchemaDlg::showRow(size_t row)
{
    QTreeWidgetItem* item = m_list->topLevelItem(static_cast<int>(row));
    const DrumNotation notation = m_model.notation(row);
    item->setIcon(kHeadColumn, QIcon(headPixmap(notation.head, m_list->iconSize().height())));
    item->setToolTip(kHeadColumn, notation.head < kPercussionHeadChoices ? kHeadNames[size_t(notation.head)] : "");
    item->setText(kOffsetColumn, numberText(notation.offset));
}

std::optional<size_t> CPercSchemaDlg::selectedRow() const
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    return row < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(row));
}

// The controls show the selected row; without one they are disabled.
void CPercSchemaDlg::showSelection()
{
    const std::optional<size_t> row = selectedRow();
    for (QWidget* control : {static_cast<QWidget*>(m_head), static_cast<QWidget*>(m_circle),
                             static_cast<QWidget*>(m_articulation), static_cast<QWidget*>(m_offset)})
        control->setEnabled(row.has_value());
    const QSignalBlocker headBlock(m_head), circleBlock(m_circle), articulationBlock(m_articulation);
    if (row) {
        const DrumNotation notation = m_model.notation(*row);
        m_head->setCurrentIndex(notation.head < kPercussionHeadChoices ? notation.head : -1);
        m_circle->setCurrentIndex(notation.circle < kPercussionCircleChoices ? notation.circle : -1);
        m_articulation->setCurrentIndex(notation.articulation);
        m_offset->setText(numberText(notation.offset));
    } else {
        m_head->setCurrentIndex(-1);
        m_circle->setCurrentIndex(-1);
        m_articulation->setCurrentIndex(-1);
        m_offset->clear();
    }
    drawPreview();
}

void CPercSchemaDlg::rowsChanged()
{
    for (size_t row = 0; row < m_model.rowCount(); ++row)
        showRow(row);
    showSelection();
}

// ---- edits

void CPercSchemaDlg::headChosen(int index)
{
    const std::optional<size_t> row = selectedRow();
    if (!row || index < 0)
        return;
    m_model.setHead(*row, index);
    showRow(*row);
    drawPreview();
}

void CPercSchemaDlg::circleChosen(int index)
{
    const std::optional<size_t> row = selectedRow();
    if (!row || index < 0)
        return;
    m_model.setCircle(*row, index);
    showRow(*row);
    drawPreview();
}

void CPercSchemaDlg::articulationChosen(int index)
{
    const std::optional<size_t> row = selectedRow();
    if (!row || index < 0)
        return;
    m_model.setArticulation(*row, index == 1);
    showRow(*row);
    drawPreview();
}

// A typed offset is stored as it is typed, held to the stored range; the
// edit shows the stored one once the focus leaves it.
void CPercSchemaDlg::offsetTyped(const QString& text)
{
    const std::optional<size_t> row = selectedRow();
    if (!row)
        return;
    m_model.setOffset(*row, typedNumber(text.toStdString()));
    showRow(*row);
    drawPreview();
}

void CPercSchemaDlg::offsetStep(bool up)
{
    const std::optional<size_t> row = selectedRow();
    if (!row)
        return;
    const int offset = m_model.notation(*row).offset + (up ? 1 : -1);
    m_model.setOffset(*row, std::clamp(offset, kSchemaSpinLowest, kSchemaSpinHighest));
    m_offset->setText(numberText(m_model.notation(*row).offset));
    m_offset->selectAll();
    showRow(*row);
    drawPreview();
}

void CPercSchemaDlg::OnGmDefaults()
{
    if (m_prompt.askYesNo(kDefaultsQuestion, PromptIcon::Question) != PromptAnswer::Yes)
        return;
    m_model.setGmDefaults();
    rowsChanged();
}

void CPercSchemaDlg::OnCopySchema()
{
    if (!m_pick)
        return;
    const std::optional<DrumSetRef> source = m_pick(m_tree, this);
    if (!source)
        return;
    m_model.copyFrom(*source);
    rowsChanged();
}

// ---- pictures

void CPercSchemaDlg::drawPreview()
{
    QPixmap picture(kPreviewSize, kPreviewSize);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const int middle = kPreviewSize / 2;
    painter.setPen(Qt::black);
    for (int line = -2; line <= 2; ++line) {
        const qreal y = middle + line * kPreviewStaff / 4.0;
        painter.drawLine(QPointF(0, y), QPointF(kPreviewSize, y));
    }
    m_previewItem.reset();
    const std::optional<size_t> row = selectedRow();
    if (m_font && row && m_head->currentIndex() >= 0) {
        CStaffTrack staff;
        staff.clef = kDrumMapClef;
        staff.spans.push_back(CStaffSpan{});
        staff.spans.back().flag = -1; // never drawn as selected
        CStaffBeat beat;
        auto note = std::make_unique<CStaffNote>();
        note->value = kQuarterValue;
        CStaffItem item;
        item.position = m_model.notation(*row).offset;
        item.head = m_model.head(*row);
        note->stemDown = item.position > 0;
        note->items.push_back(item);
        beat.notes.push_back(std::move(note));
        DrawNoteSymbols(painter, beat, middle, middle, &staff, 0, *m_font, kPreviewStaff);
        m_previewItem = beat.notes.front()->items.front();
    }
    painter.end();
    m_preview->setPixmap(picture);
}

QPixmap CPercSchemaDlg::headPixmap(int head, int size) const
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    if (!m_font || head < 0 || head >= kPercussionHeadChoices)
        return picture;
    const auto glyph = MusicGlyph(int(MusicGlyph::HeadBlack0) + head * 3);
    // A head is one staff space high: a quarter of the font's pixel size.
    const int pixelSize = std::max(4, int(4 * kGlyphShare * size));
    const QRectF ink = m_font->bounds(glyph, pixelSize);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::Text));
    m_font->draw(painter, glyph, QPointF(size / 2.0 - ink.center().x(), size / 2.0 - ink.center().y()), pixelSize);
    return picture;
}

QPixmap CPercSchemaDlg::circlePixmap(int circle, int size) const
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Text), 1.2));
    const qreal half = size * kGlyphShare / 2;
    const QPointF centre(size / 2.0, size / 2.0);
    if (circle == 1 || circle == 3)
        painter.drawEllipse(centre, half, half);
    if (circle == 2) {
        painter.drawLine(centre - QPointF(half, 0), centre + QPointF(half, 0));
        painter.drawLine(centre - QPointF(0, half), centre + QPointF(0, half));
    }
    if (circle == 3)
        painter.drawLine(centre - QPointF(half, 0), centre + QPointF(half, 0));
    return picture;
}

} // namespace rz
