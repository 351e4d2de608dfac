#include "dialogs/key_meter_dlg.h"

#include "core/profile.h"
#include "core/prompt.h"
#include "dialogs/note_value_box.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "dialogs/time_range_defaults.h"
#include "dialogs/time_range_models.h"
#include "dialogs/transform_defaults.h"
#include "dialogs/transform_models.h"
#include "song/song_doc.h"
#include "staff/symbols/staff_header.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <bit>

namespace rz {

namespace d = time_defaults;
namespace td = transform_defaults;

namespace {

constexpr int kPreviewWidth = 64;
constexpr int kPreviewHeight = 40;
constexpr int kPreviewStaffTop = 10;
constexpr int kPreviewStaffPixels = 20;

const MeasureRec* measureAt(const CSongDoc& song, int32_t tick)
{
    const int m = song.FindMeasure(tick);
    return m < 0 || song.measureMap.empty() ? nullptr : &song.measureMap[size_t(m)];
}

} // namespace

QImage staffHeaderPreview(const MusicFont* font, const MeasureRec& measure)
{
    QImage image(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (!font || !font->ok())
        return image;
    QPainter p(&image);
    p.setPen(Qt::black);
    QRect staff(0, kPreviewStaffTop, kPreviewWidth, kPreviewStaffPixels);
    DrawStaffHeader(&p, staff, nullptr, measure, 0, 0, *font, kPreviewStaffPixels);
    return image;
}

// ---- shared

MeasureChangeDialog::MeasureChangeDialog(CSongDoc& song, const MusicFont* font, const char* title,
                                         const char* helpTopic, QWidget* parent)
    : TimeEditDialog(title, helpTopic, parent), m_song(song), m_font(font)
{
}

void MeasureChangeDialog::addRange(QBoxLayout* layout, const char* fromLabel, const char* throughLabel, bool keyRun)
{
    const MeasureRange range = initialMeasureRange(m_song, keyRun ? MeasureRun::Key : MeasureRun::Meter);
    m_from = new CTimePosCtrl(m_song, range.from, 0, this);
    m_from->setObjectName("from1011");
    m_through = new CTimePosCtrl(m_song, range.through, 0, this);
    m_through->setObjectName("through1241");
    m_preview = new QLabel(this);
    m_preview->setObjectName("preview1124");
    m_preview->setFixedSize(kPreviewWidth, kPreviewHeight);
    auto* form = new QFormLayout;
    form->addRow(fromLabel, m_from);
    form->addRow(throughLabel, m_through);
    auto* row = new QHBoxLayout;
    row->addLayout(form, 1);
    row->addWidget(m_preview, 0, Qt::AlignTop);
    layout->addLayout(row);
}

void MeasureChangeDialog::showPreview(const MeasureRec& measure)
{
    m_preview->setPixmap(QPixmap::fromImage(staffHeaderPreview(m_font, measure)));
}

// ---- Key signature

CKeySigDlg::CKeySigDlg(CSongDoc& song, const MusicFont* font, QWidget* parent)
    : MeasureChangeDialog(song, font, "Insert Key Signature...", "::/Measures.htm#KEY", parent)
{
    auto* layout = new QVBoxLayout(this);
    m_key = new QComboBox(this);
    m_key->setObjectName("key1103");
    for (const char* name : InsertTimeModel::kKeyNames)
        m_key->addItem(name);
    addRange(layout, "From measure", "through", true);
    const MeasureRec* start = measureAt(song, fromCtrl()->tick());
    m_key->setCurrentIndex(7 - std::clamp<int>(start ? start->key : 0, -7, 7));
    auto* key = new QFormLayout;
    key->addRow("Key:", m_key);
    layout->insertLayout(0, key);
    addButtonRow(layout);
    connect(m_key, &QComboBox::currentIndexChanged, this, [this] { changed(); });
    changed();
}

void CKeySigDlg::changed()
{
    MeasureRec measure;
    measure.key = int8_t(7 - std::max(m_key->currentIndex(), 0));
    measure.numerator = 4;
    measure.denominator = 4;
    showPreview(measure);
}

void CKeySigDlg::accept()
{
    m_params.key = 7 - std::max(m_key->currentIndex(), 0);
    m_params.from = std::max(fromCtrl()->tick(), 0);
    m_params.through = std::max(throughCtrl()->tick(), 0);
    QDialog::accept();
}

// ---- Meter

CMeterDlg::CMeterDlg(CSongDoc& song, const MusicFont* font, QWidget* parent)
    : MeasureChangeDialog(song, font, "Insert Meter...", "::/Measures.htm#METER", parent)
{
    auto* layout = new QVBoxLayout(this);
    addRange(layout, "From measure:", "through:", false);
    MeasureRec start;
    if (const MeasureRec* m = measureAt(song, fromCtrl()->tick()))
        start = *m;
    m_numerator = numberEdit("beats1106", std::clamp<int>(start.numerator, 1, 32), 1, 32);
    m_beatValue = new QComboBox(this);
    m_beatValue->setObjectName("beatValue1105");
    for (const char* value : InsertTimeModel::kBeatValues)
        m_beatValue->addItem(value);
    const int beatIndex = std::min(int(std::bit_width(unsigned(std::max<int>(start.denominator, 1)))) - 1, 5);
    m_beatValue->setCurrentIndex(beatIndex);
    m_click = new NoteValueBox(this);
    m_click->setObjectName("click1240");
    const int row = clickRowOfClocks(start.clocksPerClick);
    m_click->setCurrentIndex(row >= 0 ? row : defaultClickRow(beatIndex, start.numerator));
    m_method = new QButtonGroup(this);
    auto* methods = new QGroupBox("Method", this);
    auto* methodColumn = new QVBoxLayout(methods);
    const struct {
        const char* name;
        const char* text;
    } kMethods[] = {
        {"resize1109", "Lengthen or shorten specified measures only (slide other measure boundaries as necessary)"},
        {"keep1110", "Add or remove measure boundaries to preserve the meter and key of time following this change."},
        {"numbers1111", "ALSO add or remove measure numbers to preserve those following this change."},
    };
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(kMethods[i].text, methods);
        button->setObjectName(kMethods[i].name);
        m_method->addButton(button, i);
        methodColumn->addWidget(button);
    }
    m_method->button(d::read(song.context().profile, td::kMeterChangeMethod))->setChecked(true);

    auto* form = new QFormLayout;
    form->addRow("Beats per measure:", m_numerator);
    form->addRow("Beat value:", m_beatValue);
    form->addRow("Metronome click on each:", m_click);
    layout->insertLayout(0, form);
    layout->addWidget(methods);
    addButtonRow(layout);
    connect(m_beatValue, &QComboBox::currentIndexChanged, this, [this] { meterChanged(); });
    MeasureRec shown;
    shown.key = 0;
    shown.numerator = uint8_t(std::clamp(numberOf(m_numerator), 1, 32));
    shown.denominator = uint8_t(1 << m_beatValue->currentIndex());
    showPreview(shown);
}

void CMeterDlg::changed()
{
    meterChanged();
}

void CMeterDlg::meterChanged()
{
    const int numerator = std::clamp(numberOf(m_numerator), 1, 32);
    const int beatIndex = std::max(m_beatValue->currentIndex(), 0);
    m_click->setCurrentIndex(defaultClickRow(beatIndex, numerator));
    MeasureRec shown;
    shown.key = 0;
    shown.numerator = uint8_t(numerator);
    shown.denominator = uint8_t(1 << beatIndex);
    showPreview(shown);
}

void CMeterDlg::accept()
{
    IPrompt& prompt = m_song.context().prompt;
    const std::optional<int32_t> numerator = checkedNumber(prompt, m_numerator, 1, 32);
    if (!numerator)
        return;
    const int beatIndex = std::max(m_beatValue->currentIndex(), 0);
    const int row = std::max(m_click->currentIndex(), 0);
    if (!clickDividesMeasure(beatIndex, *numerator, row)) {
        prompt.message(kClickMessage, PromptIcon::Stop);
        return;
    }
    const int method = std::max(m_method->checkedId(), 0);
    writeSetting(m_song.context().profile, td::kMeterChangeMethod, method);
    m_params.numerator = *numerator;
    m_params.denominator = 1 << beatIndex;
    m_params.clicks = clickClocks(beatIndex, *numerator, row);
    m_params.from = std::max(fromCtrl()->tick(), 0);
    m_params.through = std::max(throughCtrl()->tick(), 0);
    m_params.method = MeterMethod(method);
    QDialog::accept();
}

} // namespace rz
