// The slider view's faders, buttons, commands and settings. GUI thread.

#include "views/slider/slider_view.h"

#include "core/edit_dialogs.h"
#include "core/engine_gui_values.h"
#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "res/command_ids.h"
#include "res/command_strings.h"
#include "res/slider_menu.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "ui/bitmap_catalog.h"
#include "ui/cool_slider.h"
#include "ui/hover_button.h"
#include "views/command_menu.h"
#include "views/view_factory.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

namespace rz {
namespace {

constexpr CommandRow<SliderView> kSliderCommands[] = {
    {kIdSliderSnapshot, kIdSliderSnapshot, &SliderView::onSnapshot, &SliderView::onUpdateSnapshot},
    {kIdSliderReset, kIdSliderReset, &SliderView::onReset, &SliderView::onUpdateReset},
};

constexpr QPoint kSnapshotAt{44, 70};
constexpr QPoint kResetAt{80, 70};
// How often the buttons follow the transport and performance mode, ms.
constexpr int kButtonStateMs = 100;

FaderGroup groupOf(Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::ControlModifier)
        return FaderGroup::SameValue;
    if (modifiers & Qt::ShiftModifier)
        return FaderGroup::SameStep;
    return FaderGroup::None;
}

// The choice dialog answers a kind with a controller number above it.
uint32_t choiceFromAnswer(int answer)
{
    const uint32_t kind = uint32_t(answer) & midi::kKindMask;
    if (kind == midi::kControlChange)
        return kind | (uint32_t(answer) >> 8 & midi::kDataMask) << 8;
    return slider_choice::fromStored(kind);
}

void releaseFader(CoolSlider& fader)
{
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(fader.thumbRect().center()),
                        QPointF(fader.mapToGlobal(fader.thumbRect().center())), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&fader, &release);
}

} // namespace

SliderView::SliderView(SliderViewContext context, QWidget* parent) : SongView(parent), m_context(std::move(context))
{
    setMouseTracking(true);
    m_snapshot = new HoverButton(kIdSliderSnapshot, bitmap_id::kSnapshotUp, bitmap_id::kSnapshotDown, this);
    m_reset = new HoverButton(kIdSliderReset, bitmap_id::kResetUp, bitmap_id::kResetDown, this);
    m_snapshot->move(kSnapshotAt);
    m_reset->move(kResetAt);
    for (HoverButton* button : {m_snapshot, m_reset}) {
        button->setToolTip(QString::fromUtf8(commandShortName(button->ctrlId())).left(80));
        connect(button, &HoverButton::command, this, [this](uint32_t id) { handle(id); });
    }
    if (m_context.profile)
        m_choice = slider_choice::fromStored(readSetting(*m_context.profile, settings::kSliderChoice));
    m_buttonState.setInterval(kButtonStateMs);
    connect(&m_buttonState, &QTimer::timeout, this, [this] { updateButtons(); });
    m_buttonState.start();
    updateButtons();
}

// The choice outlives the view in the profile.
SliderView::~SliderView()
{
    endDrag();
    if (m_context.profile)
        writeSetting(*m_context.profile, settings::kSliderChoice, int32_t(m_choice));
}

std::span<const CommandRow<SliderView>> SliderView::commandTable()
{
    return kSliderCommands;
}

void SliderView::attach(CSongDoc& song)
{
    endDrag();
    SongView::attach(song);
}

// A drag belongs to the song it began on.
void SliderView::detach()
{
    endDrag();
    SongView::detach();
}

void SliderView::initialUpdate()
{
    rebuild();
}

// A change of the tempo map alone changes nothing here.
void SliderView::songUpdate(uint32_t hint)
{
    if (hint == kUndoTempo)
        return;
    rebuild();
}

// The messages are built anew every time, as a track's channel or port (or
// the song) may have changed; the faders are made again only when the rows
// or the choice did.
void SliderView::rebuild()
{
    CSongDoc* doc = song();
    if (m_model.rebuild(doc, m_choice) || m_faders.size() != m_model.size()) {
        endDrag();
        makeFaders(m_model.size());
        for (size_t i = 0; i < m_faders.size(); ++i)
            m_faders[i]->setPos(m_model.value(i));
        QWidget::update();
    }
    m_ready = doc != nullptr;
    updateButtons();
    follow();
}

void SliderView::makeFaders(size_t count)
{
    while (m_faders.size() > count) {
        delete m_faders.back();
        m_faders.pop_back();
    }
    const bool added = m_faders.size() < count;
    while (m_faders.size() < count) {
        const size_t index = m_faders.size();
        auto* fader = new CoolSlider(this, kFirstFaderId + int(index), SliderModel::kUnset);
        fader->setValueArea(kValueRect);
        fader->installEventFilter(this);
        // Moves without a button reach the filter only so.
        fader->setMouseTracking(true);
        connect(fader, &CoolSlider::dragStep, this, [this, index] { faderMoved(index); });
        connect(fader, &CoolSlider::dragEnd, this, [this, index] {
            if (m_dragIndex == int(index))
                faderMoved(index);
            endDrag();
        });
        m_faders.push_back(fader);
        fader->show();
    }
    if (added)
        placeFaders();
}

void SliderView::placeFaders()
{
    for (size_t i = 0; i < m_faders.size(); ++i)
        m_faders[i]->setGeometry(kFaderLeft + kFaderPitch * int(i), kFaderTop, kFaderWidth, kFaderHeight);
}

void SliderView::follow()
{
    const CSongDoc* doc = song();
    if (!doc || !m_ready)
        return;
    const size_t skip = m_dragIndex < 0 ? size_t(-1) : size_t(m_dragIndex);
    for (const size_t i : m_model.refresh(*doc, skip))
        if (i < m_faders.size())
            m_faders[i]->setPos(m_model.value(i));
}

// Live moves stay allowed on stage; writing into the song does not.
bool SliderView::snapshotAllowed() const
{
    const CSongDoc* doc = song();
    return doc && m_model.size() > 0 && doc->context().engine.transportState() == TransportState::Stopped
           && !doc->context().host.performanceMode();
}

void SliderView::updateButtons()
{
    m_snapshot->setEnabled(snapshotAllowed());
    m_reset->setEnabled(song() != nullptr);
}

void SliderView::onUpdateSnapshot(CommandId, CmdUi& ui)
{
    ui.enabled = snapshotAllowed();
}

void SliderView::onUpdateReset(CommandId, CmdUi& ui)
{
    ui.enabled = song() != nullptr;
}

bool SliderView::onSnapshot(CommandId)
{
    if (!snapshotAllowed())
        return true;
    if (std::unique_ptr<CUndoRecord> record = m_model.snapshotRecord(*song()))
        song()->ApplyEdit(std::move(record));
    return true;
}

bool SliderView::onReset(CommandId)
{
    CSongDoc* doc = song();
    if (!doc)
        return true;
    IEngineLink& engine = doc->context().engine;
    engine.ResendPortStates();
    engine.ResetOutPorts();
    doc->LocateToCurrent();
    follow();
    return true;
}

// Fader `index` moved: the group follows, every moved fader with a port
// sends, and the take gets what was sent while recording.
void SliderView::faderMoved(size_t index)
{
    CSongDoc* doc = song();
    if (!doc || index >= m_faders.size() || index >= m_model.size())
        return;
    const CoolSlider& moved = *m_faders[index];
    if (m_dragIndex != int(index)) {
        m_dragIndex = int(index);
        publishDrag(index);
    }
    IEngineLink& engine = doc->context().engine;
    const bool recording = engine.recording();
    const FaderGroup group = groupOf(QApplication::keyboardModifiers());
    for (const size_t i : m_model.drag(index, moved.pos(), moved.lastChange(), group)) {
        if (i != index)
            m_faders[i]->setPos(m_model.value(i));
        const uint32_t sent = m_model.send(*doc, i);
        if (sent != 0 && recording)
            engine.recordLiveMessage(m_model.rows()[i], sent);
    }
    QWidget::update(kValueRect);
}

// Play-out leaves the dragged controller on that port alone meanwhile.
void SliderView::publishDrag(size_t index)
{
    GuiToEngineValues* published = m_context.published ? m_context.published() : nullptr;
    const CSongDoc* doc = song();
    if (!published || !doc || !m_model.portOf(*doc, index))
        return;
    const CTrack& track = *doc->tracks[size_t(m_model.rows()[index])];
    const uint32_t message = m_model.messages()[index];
    const int port = doc->context().engine.outputMapEntry(track.port);
    published->setFaderDrag(FaderDrag{port, uint8_t(message & 0xFF), midi::firstDataByte(message)});
}

void SliderView::endDrag()
{
    const int index = m_dragIndex;
    m_dragIndex = -1;
    if (GuiToEngineValues* published = m_context.published ? m_context.published() : nullptr)
        if (index >= 0)
            published->clearFaderDrag();
    if (index >= 0 && size_t(index) < m_faders.size() && m_faders[size_t(index)]->isDragging())
        releaseFader(*m_faders[size_t(index)]);
    if (index >= 0)
        QWidget::update(kValueRect);
}

// A lost release (the grab taken away, the fader hidden, a move without
// the button) ends the drag as a release would.
bool SliderView::eventFilter(QObject* watched, QEvent* event)
{
    auto* fader = qobject_cast<CoolSlider*>(watched);
    if (fader && m_dragIndex >= 0 && fader == m_faders[size_t(m_dragIndex)]) {
        const QEvent::Type type = event->type();
        const bool buttonGone = type == QEvent::MouseMove
                                && !(static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton);
        if (type == QEvent::UngrabMouse || type == QEvent::Hide || buttonGone) {
            endDrag();
            return buttonGone;
        }
    }
    return SongView::eventFilter(watched, event);
}

void SliderView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        endDrag();
    SongView::changeEvent(event);
}

void SliderView::resizeEvent(QResizeEvent* event)
{
    m_back = QPixmap();
    placeFaders();
    SongView::resizeEvent(event);
}

void SliderView::mouseMoveEvent(QMouseEvent* event)
{
    if (CSongDoc* doc = song())
        doc->context().host.SetStatusText("");
    SongView::mouseMoveEvent(event);
}

void SliderView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && kCaptionRect.contains(event->position().toPoint()))
        chooseController();
}

// A right click in the caption chooses what the faders send; elsewhere the
// pane's menu.
void SliderView::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() == QContextMenuEvent::Mouse && kCaptionRect.contains(event->pos())) {
        chooseController();
        return;
    }
    m_menu = commandMenu(sliderContextMenu(), this, m_context.sink);
    m_menu->popup(event->globalPos());
}

void SliderView::chooseController()
{
    CSongDoc* doc = song();
    IEditDialogs* dialogs = doc ? doc->context().editDialogs : nullptr;
    if (!dialogs || !dialogs->has(EditDialog::SelectController))
        return;
    const int track = doc->context().trackRows ? doc->context().trackRows->currentRow() : 0;
    const std::optional<int> chosen = dialogs->selectController(*doc, track, int(m_choice));
    if (!chosen || song() != doc)
        return;
    m_choice = choiceFromAnswer(*chosen);
    rebuild();
    QWidget::update();
}

void registerSliderView(ViewFactory& factory, SliderViewContext context)
{
    factory.registerView(ViewKind::Slider, [context](const ViewRequest& request) -> SongView* {
        return new SliderView(context, request.parent);
    });
}

} // namespace rz
