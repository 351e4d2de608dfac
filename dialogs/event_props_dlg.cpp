#include "dialogs/event_props_dlg.h"

#include "core/engine_link.h"
#include "core/prompt.h"
#include "dialogs/smpte_edit.h"
#include "dialogs/spin_edit.h"
#include "dialogs/time_pos_ctrl.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "ui/font_substitutions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QThread>
#include <QVBoxLayout>

#include <cassert>
#include <mutex>

namespace rz {

namespace {

constexpr const char* kEventPropsHelpTopic = "::/Events.htm";

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string textOf(const QString& text)
{
    return text.toStdString();
}

} // namespace

// Hands captured pieces to the dialog's thread. The input thread posts under
// the lock and the dialog cuts it off under the same lock before it goes, so
// no piece reaches a dialog that is gone; Qt delivers one sender's posts to
// one receiver in the order they were posted.
class CEventPropsDlg::CaptureSink : public IEventCaptureSink {
public:
    explicit CaptureSink(CEventPropsDlg* dialog) : m_dialog(dialog) {}

    // Input dispatch thread: copies the piece, never waits on the GUI.
    void AddSysExChunk(std::span<const uint8_t> bytes, bool last) override
    {
        if (bytes.empty())
            return;
        std::vector<uint8_t> piece(bytes.begin(), bytes.end());
        std::lock_guard lock(m_mutex);
        if (CEventPropsDlg* dialog = m_dialog)
            QMetaObject::invokeMethod(
                dialog, [dialog, piece = std::move(piece), last] { dialog->takeSysExPiece(piece, last); },
                Qt::QueuedConnection);
    }
    // Input dispatch thread.
    void PostSysExDone() override
    {
        std::lock_guard lock(m_mutex);
        if (CEventPropsDlg* dialog = m_dialog)
            QMetaObject::invokeMethod(dialog, [dialog] { dialog->endCapture(); }, Qt::QueuedConnection);
    }
    // Short messages are not captured.
    void captureShort(uint32_t) override {}

    // GUI thread.
    void detach()
    {
        std::lock_guard lock(m_mutex);
        m_dialog = nullptr;
    }

private:
    std::mutex m_mutex;
    CEventPropsDlg* m_dialog;
};

CEventPropsDlg::CEventPropsDlg(CSongDoc& song, const EventPropsRequest& request, EventPropsServices services,
                               QWidget* parent)
    : DialogBase(parent, kEventPropsHelpTopic), m_song(song), m_services(std::move(services)),
      m_model(request, loadRememberedFields(song.context().profile)), m_requestTick(request.tick),
      m_sink(std::make_shared<CaptureSink>(this))
{
    setWindowTitle("Event Properties...");
    setHelpOpener(m_services.help);
    build(request);
    m_dataShown = request.data.empty();
    m_filling = true;
    m_kind->setCurrentIndex(int(m_model.kind()));
    m_filling = false;
    kindChanged();
    if (m_services.setEventCapture)
        m_services.setEventCapture(m_sink);
}

CEventPropsDlg::~CEventPropsDlg()
{
    if (m_services.setEventCapture)
        m_services.setEventCapture(nullptr);
    m_sink->detach();
    closeNotice();
}

std::shared_ptr<IEventCaptureSink> CEventPropsDlg::captureSink() const
{
    return m_sink;
}

// Controls are made in tab order: what the event is, then where it lies.
void CEventPropsDlg::build(const EventPropsRequest& request)
{
    makeEventControls();
    makePlaceControls(request);
    layOut();
    connectEventControls();
    connectPlaceControls();
}

void CEventPropsDlg::makeEventControls()
{
    m_kind = new QComboBox(this);
    m_kind->setObjectName("kind1020");
    for (const EventKindSpec& kind : kEventKinds)
        m_kind->addItem(kind.text);
    m_number = new QComboBox(this);
    m_number->setObjectName("number1029");
    m_number->setEditable(true);
    m_number->setInsertPolicy(QComboBox::NoInsert);
    m_valueLabel = new QLabel("Value:", this);
    m_valueLabel->setObjectName("valueLabel1017");
    m_value = new SpinEdit(this);
    m_value->setObjectName("value1007");
    m_data = new QPlainTextEdit(this);
    m_data->setObjectName("data1006");
    QFont font = programFont("Courier New", 0);
    font.setPointSize(kDataPointSize);
    m_data->setFont(font);
}

// The track, the time as a position and as time code, and the duration.
void CEventPropsDlg::makePlaceControls(const EventPropsRequest& request)
{
    m_track = new QComboBox(this);
    m_track->setObjectName("track1018");
    m_track->setEditable(true);
    m_track->setInsertPolicy(QComboBox::NoInsert);
    fillTracks();
    m_position = new CTimePosCtrl(m_song, request.tick, 0, this);
    m_position->setObjectName("position135");
    const double time = request.tick >= 0 ? smpteTimeOfTick(m_song, request.tick) : -1.0;
    m_smpte = new CSmpteEdit(time, m_song.context().engine.syncOptions().smpteRate, this);
    m_smpte->setObjectName("smpte134");
    m_duration = new SpinEdit(this);
    m_duration->setObjectName("duration1009");
}

void CEventPropsDlg::layOut()
{
    auto* form = new QFormLayout;
    form->addRow("Type:", m_kind);
    form->addRow("#:", m_number);
    form->addRow(m_valueLabel, m_value);
    form->addRow(m_data);
    form->addRow("Track:", m_track);
    form->addRow("Time:", m_position);
    form->addRow("SMPTE:", m_smpte);
    form->addRow("Duration:", m_duration);
    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CEventPropsDlg::connectEventControls()
{
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling) {
            m_model.setKind(EventKindIndex(m_kind->currentIndex()));
            kindChanged();
        }
    });
    connect(m_number, &QComboBox::activated, this, [this](int index) {
        m_numberTyped = false;
        m_model.chooseNumber(m_number->itemData(index).toInt());
        refresh();
    });
    connect(m_number->lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (!m_numberTyped)
            m_model.startTypingNumber();
        m_numberTyped = true;
    });
    connect(m_number->lineEdit(), &QLineEdit::editingFinished, this, &CEventPropsDlg::numberFocusLost);
    connect(m_value, &QLineEdit::textEdited, this, [this] {
        m_valueTyped = true;
        m_model.setValue(-1);
    });
    connect(m_value, &QLineEdit::editingFinished, this, &CEventPropsDlg::valueFocusLost);
    connect(m_value, &SpinEdit::stepRequested, this, [this](bool up) {
        valueFocusLost();
        m_model.stepValue(up);
        refresh();
        m_value->focusSelected();
    });
    connect(m_data, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_filling)
            m_dataUnchanged = false;
    });
}

void CEventPropsDlg::connectPlaceControls()
{
    connect(m_duration, &QLineEdit::textEdited, this, [this] { m_durationTyped = true; });
    connect(m_duration, &QLineEdit::editingFinished, this, &CEventPropsDlg::durationFocusLost);
    connect(m_duration, &SpinEdit::stepRequested, this, [this](bool up) {
        durationFocusLost();
        m_model.stepDuration(up);
        refresh();
        m_duration->focusSelected();
    });
    connect(m_track, &QComboBox::activated, this, &CEventPropsDlg::trackChosen);
    connect(m_track->lineEdit(), &QLineEdit::editingFinished, this, &CEventPropsDlg::trackFocusLost);
    connect(m_position, &CTimePosCtrl::changed, this, &CEventPropsDlg::positionChanged);
    connect(m_smpte, &CSmpteEdit::changed, this, &CEventPropsDlg::smpteChanged);
}

void CEventPropsDlg::fillTracks()
{
    for (size_t t = 1; t + 1 < m_song.tracks.size(); ++t)
        m_track->addItem(qs(std::to_string(t) + ": " + m_song.tracks[t]->name), int(t));
}

int CEventPropsDlg::exec()
{
    if (m_model.tooLarge()) {
        m_song.context().prompt.message(kBlockTooLarge);
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

int32_t CEventPropsDlg::channel() const
{
    return m_trackInfo.valid ? m_trackInfo.channel : 0;
}

int32_t CEventPropsDlg::keySignature() const
{
    return eventKeySignature(m_song, m_model.track(), std::max(m_model.tick(), 0));
}

// The measure of the position the dialog opened at, or of the song's
// position when it opened on none.
int32_t CEventPropsDlg::beat() const
{
    return eventBeatTicks(m_song, m_requestTick >= 0 ? m_requestTick : std::max(m_song.position(), 0));
}

// Every control back to its state for no kind, then the kind's own.
void CEventPropsDlg::kindChanged()
{
    m_trackInfo = eventTrackInfo(m_song, m_model.track());
    const EventKindIndex kind = m_model.kind();
    const KindFields fields = kind == EventKindIndex::None ? KindFields{} : kindFields(kind);
    m_filling = true;
    m_number->clear();
    for (const ComboItem& item : eventNumberItems(kind, m_song.context().synths, m_trackInfo, keySignature()))
        m_number->addItem(qs(item.text), item.data);
    m_filling = false;
    m_number->setEnabled(fields.number);
    m_duration->setEnabled(fields.duration);
    m_data->setVisible(fields.data);
    m_data->setEnabled(fields.data);
    m_value->setVisible(fields.value || !fields.data);
    m_value->setEnabled(fields.value);
    m_valueLabel->setText(fields.valueLabel);
    m_numberTyped = m_valueTyped = m_durationTyped = false;
    refresh();
}

void CEventPropsDlg::refresh()
{
    m_filling = true;
    const int32_t track = m_model.track();
    const int trackRow = m_track->findData(track);
    m_track->setCurrentIndex(trackRow);
    if (trackRow < 0)
        m_track->setEditText({});
    showNumber();
    const EventFields fields = m_model.fields(channel());
    m_value->setText(m_value->isEnabled() && m_model.value() >= 0 ? qs(eventValueText(fields)) : QString());
    if (m_data->isEnabled() && !m_dataShown) {
        m_data->setPlainText(qs(m_model.dataText()));
        m_dataShown = true;
        m_dataUnchanged = true;
    }
    m_duration->setText(m_duration->isEnabled() && m_model.duration() >= 0
                            ? qs(formatDuration(m_model.duration(), beat()))
                            : QString());
    m_filling = false;
}

// The last item holding the number, else its text.
void CEventPropsDlg::showNumber()
{
    const std::optional<int32_t> number = m_model.number();
    if (!m_number->isEnabled() || !number) {
        m_number->setCurrentIndex(-1);
        m_number->setEditText({});
        return;
    }
    for (int i = m_number->count() - 1; i >= 0; --i) {
        if (m_number->itemData(i).toInt() == *number) {
            m_number->setCurrentIndex(i);
            return;
        }
    }
    m_number->setCurrentIndex(-1);
    m_number->setEditText(qs(undefinedNumberText(m_model.kind(), *number, m_model.accidental(), keySignature(),
                                                 m_trackInfo.style())));
}

void CEventPropsDlg::numberFocusLost()
{
    if (!m_numberTyped)
        return;
    m_numberTyped = false;
    if (!m_model.number())
        m_model.typeNumber(textOf(m_number->currentText()), keySignature(), m_trackInfo.style());
    // The RPN's number decides how its value reads.
    refresh();
}

void CEventPropsDlg::valueFocusLost()
{
    if (!m_valueTyped)
        return;
    m_valueTyped = false;
    if (m_model.value() < 0)
        m_model.typeValue(textOf(m_value->text()));
    refresh();
}

void CEventPropsDlg::durationFocusLost()
{
    if (!m_durationTyped)
        return;
    m_durationTyped = false;
    m_model.typeDuration(textOf(m_duration->text()), beat());
    refresh();
}

// Another track names the numbers from its own synthesizer.
void CEventPropsDlg::trackChosen()
{
    if (m_filling)
        return;
    m_model.setTrack(m_track->currentData().isValid() ? m_track->currentData().toInt() : -1);
    kindChanged();
}

void CEventPropsDlg::trackFocusLost()
{
    const int32_t typed = typedNumber(textOf(m_track->currentText()));
    const int row = m_track->findData(typed);
    if (row >= 0 && typed != m_model.track()) {
        m_model.setTrack(typed);
        kindChanged();
    } else {
        refresh();
    }
}

void CEventPropsDlg::positionChanged()
{
    m_model.setTick(m_position->tick());
    if (m_position->tick() >= 0)
        m_smpte->setTime(smpteTimeOfTick(m_song, m_position->tick()));
}

void CEventPropsDlg::smpteChanged()
{
    m_position->setTick(tickOfSmpteTime(m_song, m_smpte->time()));
    m_model.setTick(m_position->tick());
}

// ---- capture

void CEventPropsDlg::takeSysExPiece(const std::vector<uint8_t>& piece, bool last)
{
    assert(QThread::currentThread() == thread());
    if (!m_capturing || piece.front() == midi::kSysEx) {
        m_capturing = true;
        m_model.replaceData(piece);
        if (!m_notice && m_services.receiveNotice) {
            m_notice = m_services.receiveNotice(m_received, this);
            if (m_notice)
                m_notice->show();
        }
    } else {
        m_model.appendData(piece);
    }
    m_received.store(int(m_model.data().size()), std::memory_order_relaxed);
    if (last || m_model.data().back() == midi::kEndOfSysEx)
        endCapture();
}

// The message is complete, or all it will be: show it.
void CEventPropsDlg::endCapture()
{
    assert(QThread::currentThread() == thread());
    m_capturing = false;
    closeNotice();
    m_dataShown = false;
    refresh();
}

void CEventPropsDlg::closeNotice()
{
    if (m_notice) {
        m_notice->close();
        delete m_notice.data();
    }
}

// ---- OK

bool CEventPropsDlg::checkData()
{
    const EventKindIndex kind = m_model.kind();
    if ((kind != EventKindIndex::SystemExclusive && kind != EventKindIndex::Meta) || m_dataUnchanged)
        return true;
    const HexData taken = m_model.takeDataText(textOf(m_data->toPlainText()));
    if (!taken.ok) {
        m_song.context().prompt.message(taken.token + std::string(kBadHexTail));
        const QString text = m_data->toPlainText();
        QTextCursor cursor(m_data->document());
        const int start = int(QString::fromUtf8(text.toUtf8().left(qsizetype(taken.start))).size());
        const int end = int(QString::fromUtf8(text.toUtf8().left(qsizetype(taken.start + taken.length))).size());
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        m_data->setTextCursor(cursor);
        m_data->setFocus();
        return false;
    }
    m_dataUnchanged = true;
    return true;
}

void CEventPropsDlg::accept()
{
    // Whatever is typed counts, as if the focus had left it.
    numberFocusLost();
    valueFocusLost();
    durationFocusLost();
    if (!checkData())
        return;
    if (!buildEvent(m_model.fields(channel())) && !m_model.multiple()) {
        m_song.context().prompt.message(kEventIncomplete);
        return;
    }
    saveRememberedFields(m_song.context().profile, m_model.kind(), m_model.number(),
                         m_model.value() >= 0 ? std::optional<int32_t>(m_model.value()) : std::nullopt);
    QDialog::accept();
}

EventPropsResult CEventPropsDlg::answer() const
{
    return m_model.result(channel());
}

} // namespace rz
