#include "set/ui/lyric_view.h"

#include "core/edit_dialogs.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "core/text_codec.h"
#include "core/track_rows.h"
#include "res/command_ids.h"
#include "res/lyric_menu.h"
#include "set/lyric_marks.h"
#include "set/lyric_print_plan.h"
#include "set/ui/lyric_print.h"
#include "song/measure_map.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "song/undo_record.h"
#include "ui/bitmap_push_button.h"
#include "ui/color_ref.h"
#include "ui/command_text.h"
#include "ui/font_substitutions.h"
#include "ui/local_path.h"
#include "ui/torn_off_focus.h"
#include "ui/zoom_scroll_bar.h"
#include "views/frame_timer_ids.h"
#include "views/view_factory.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPageSetupDialog>
#include <QPaintEvent>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QWindowStateChangeEvent>
#include <qdrawutil.h>

#include <algorithm>
#include <array>
#include <utility>

namespace rz {

namespace {

constexpr uint32_t kHintTempoMap = 2;
constexpr uint32_t kHintTrackProperties = 0x2000;
constexpr uint32_t kMarginColour = 0x38140C;
constexpr uint32_t kTimeLabelColour = 0x0EF0FF;
constexpr uint32_t kMarkedColour = 0x0000FF;
constexpr int kMaxPictureMegabytes = 64;
constexpr int kOptionsLyricPage = 7;
constexpr int kZoomStep = 8;
constexpr int kDragTimerMs = 50;
constexpr int kDragScrollStep = 30;
constexpr int kMaxTipLength = 80;
constexpr const char* kPrintFailed = "The lyrics could not be printed.";
constexpr const char* kHelpText = "Please select the lyrics track by clicking on its number in the track view.";

QFont toQFont(const LyricFont& font)
{
    QFont qfont = programFont(QString::fromStdString(font.face), -font.height, font.weight);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    return qfont;
}

// Widths and heights from the real fonts.
class QtTextMeasurer : public ITextMeasurer {
public:
    int textWidth(std::string_view text, const LyricFont& font) const override
    {
        return QFontMetrics(toQFont(font)).horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
    int fontHeight(const LyricFont& font) const override { return font.height; }
};

QRect toQRect(const LyricRect& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

// The frame's ball glyph: a filled disc 8 pixels across.
void drawBall(QPainter& painter, QPoint at)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(128, 0, 0));
    painter.setBrush(QColor(220, 30, 30));
    painter.drawEllipse(QRectF(at.x() + 0.5, at.y() + 0.5, 7, 7));
    painter.restore();
}

} // namespace

LyricView::LyricView(const LyricViewContext& context, bool topLevel, QWidget* parent)
    : SongView(parent), m_context(context), m_topLevel(topLevel)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_zoomBar = new ZoomScrollBar(ZoomScrollBar::kVertical | ZoomScrollBar::kZoomButtons, this);
    m_zoomBar->setObjectName("zoomBar101");
    connect(m_zoomBar, &ZoomScrollBar::scrolled, this, &LyricView::onScrolled);
    connect(m_zoomBar, &ZoomScrollBar::zoomCommand, this, [this](uint32_t id) {
        CmdUi ui;
        if (update(id, ui) && ui.enabled)
            handle(id);
    });
    const std::pair<BitmapPushButton*, CommandId> tips[] = {
        {m_zoomBar->zoomInButton(), kIdZoomInControllerScale},
        {m_zoomBar->zoomOutButton(), kIdZoomOutControllerScale},
    };
    for (const auto& [button, id] : tips) {
        if (button)
            button->setToolTip(commandTipText(id).left(kMaxTipLength));
    }
    m_dragTimer.setInterval(kDragTimerMs);
    connect(&m_dragTimer, &QTimer::timeout, this, &LyricView::dragTimerStep);
    if (m_topLevel) {
        m_leftMargin = 0;
        m_rightMargin = 0;
        m_zoomBar->hide();
        if (m_context.router)
            m_focus = new TornOffFocus(*this, *this, *m_context.router);
    }
}

LyricView::~LyricView()
{
    delete m_focus;
}

std::span<const CommandRow<LyricView>> LyricView::commandTable()
{
    static const CommandRow<LyricView> kRows[] = {
        {kIdBouncingBall, kIdShowObjectGrid, nullptr, &LyricView::updateDockedOnly},
        {kIdViewClipsAndCues, kIdViewKaraoke, nullptr, &LyricView::updateDockedOnly},
        {kIdViewWaveform, kIdViewWaveform, nullptr, &LyricView::updateDockedOnly},
        {kIdSpawnTopLevelWindow, kIdSpawnLyric1024x768, &LyricView::onSpawn, &LyricView::updateSpawn},
        {kIdInsertLyric, kIdInsertLyric, &LyricView::onInsertLyric, &LyricView::updateInsertLyric},
        {kIdCopyLyrics, kIdCopyLyrics, &LyricView::onCopyLyrics, &LyricView::updateCopyLyrics},
        {kIdZoomOutControllerScale, kIdZoomInControllerScale, &LyricView::onZoom, &LyricView::updateZoom},
        {kIdKaraokeOptions, kIdKaraokeOptions, &LyricView::onKaraokeOptions, &LyricView::updateKaraokeOptions},
        {kIdImportLyrics, kIdImportLyrics, nullptr, &LyricView::updateImportLyrics},
        {kIdFilePrintSetup, kIdFilePrintSetup, &LyricView::onPrint, nullptr},
        {kIdFilePrint, kIdFilePrint, &LyricView::onPrint, &LyricView::updatePrint},
        {kIdFilePrintPreview, kIdFilePrintPreview, &LyricView::onPrint, &LyricView::updatePrint},
    };
    return kRows;
}

void LyricView::updateDockedOnly(CommandId id, CmdUi& ui)
{
    ui.enabled = !m_topLevel;
    if (id >= kIdBouncingBall && id <= kIdShowObjectGrid)
        ui.checked = int(id - kIdBouncingBall) == currentStyle();
}

bool LyricView::onSpawn(CommandId id)
{
    // The frame's lyric window timers make the window at the stored place or a size.
    if (m_context.startFrameTimer)
        m_context.startFrameTimer(int(id - kIdSpawnTopLevelWindow) + frame_timer::kLyricAtStoredPlace,
                                  100);
    return true;
}

void LyricView::updateSpawn(CommandId, CmdUi& ui)
{
    ui.enabled = song() && !m_topLevel;
}

bool LyricView::canEdit() const
{
    // The song refuses edits only while the transport runs; a show in
    // performance mode must not be edited either.
    return song() && m_context.engine && m_context.engine->transportState() == TransportState::Stopped
           && !(m_context.performanceMode && m_context.performanceMode());
}

CTrack* LyricView::lyricTrack() const
{
    CSongDoc* doc = song();
    if (!doc || m_lyricRow < 0 || size_t(m_lyricRow) >= doc->tracks.size())
        return nullptr;
    return doc->tracks[size_t(m_lyricRow)].get();
}

void LyricView::updateInsertLyric(CommandId, CmdUi& ui)
{
    const IEditDialogs* dialogs = song() ? song()->context().editDialogs : nullptr;
    ui.enabled = lyricTrack() && canEdit() && dialogs && dialogs->has(EditDialog::EditLyrics);
}

// The frame carries the import out; the view only greys it.
void LyricView::updateImportLyrics(CommandId, CmdUi& ui)
{
    ui.enabled = canEdit();
}

bool LyricView::onInsertLyric(CommandId)
{
    editLyric(-1);
    return true;
}

void LyricView::editLyric(int eventIndex)
{
    CSongDoc* doc = song();
    IEditDialogs* dialogs = doc ? doc->context().editDialogs : nullptr;
    if (!lyricTrack() || !canEdit() || !dialogs || !dialogs->has(EditDialog::EditLyrics))
        return;
    std::unique_ptr<CUndoRecord> record = dialogs->editLyrics(*doc, m_lyricRow, eventIndex);
    if (record)
        doc->ApplyEdit(std::move(record));
}

void LyricView::updateCopyLyrics(CommandId, CmdUi& ui)
{
    ui.enabled = lyricTrack() != nullptr;
}

bool LyricView::onCopyLyrics(CommandId)
{
    const CTrack* track = lyricTrack();
    if (!track)
        return true;
    const std::string text = LyricCopyText(m_items, *track);
    if (!text.empty())
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    return true;
}

void LyricView::updateZoom(CommandId id, CmdUi& ui)
{
    const int height = m_settings.font.height;
    ui.enabled = lyricTrack() && (id == kIdZoomInControllerScale ? height < 50 : height >= 21);
}

bool LyricView::onZoom(CommandId id)
{
    const int step = id == kIdZoomInControllerScale ? kZoomStep : -kZoomStep;
    m_settings.font.height = clampLyricFontHeight(m_settings.font.height + step);
    if (m_context.profile)
        writeSetting(*m_context.profile, settings::kLyricFontHeight, -m_settings.font.height);
    rebuild();
    if (m_context.statusText)
        m_context.statusText("Font size=" + std::to_string(m_settings.font.height));
    return true;
}

void LyricView::updateKaraokeOptions(CommandId, CmdUi& ui)
{
    ui.enabled = bool(m_context.openOptions);
}

bool LyricView::onKaraokeOptions(CommandId)
{
    if (m_context.openOptions)
        m_context.openOptions(m_topLevel ? this : nullptr, kOptionsLyricPage);
    return true;
}

void LyricView::updatePrint(CommandId, CmdUi& ui)
{
    ui.enabled = canEdit();
}

QPrinter& LyricView::printer()
{
    if (QPrinter* shared = m_context.printer ? m_context.printer() : nullptr)
        return *shared;
    if (!m_ownPrinter)
        m_ownPrinter = std::make_unique<QPrinter>();
    return *m_ownPrinter;
}

LyricPrintPlan LyricView::printPlan(const QPagedPaintDevice& device) const
{
    LyricPrintInput input;
    input.font = m_settings.font;
    input.centre = m_settings.centre;
    input.lyricTitle = m_title;
    if (const CSongDoc* doc = song()) {
        input.songTitle = decodeText(doc->title);
        input.subtitle = decodeText(doc->subtitle);
        input.author = decodeText(doc->author);
        input.copyright = decodeText(doc->copyright);
    }
    return planLyricPrint(m_items, m_pages, lyricPrintPage(device, input));
}

bool LyricView::onPrint(CommandId id)
{
    installFontSubstitutions();
    QPrinter& device = printer();
    auto print = [this](QPrinter& target) {
        if (!printLyricPlan(printPlan(target), target) && song())
            song()->context().prompt.message(kPrintFailed, PromptIcon::Stop);
    };
    if (id == kIdFilePrintSetup) {
        QPageSetupDialog dialog(&device, this);
        dialog.exec();
    } else if (id == kIdFilePrintPreview) {
        if (m_context.printPreviewMode)
            m_context.printPreviewMode(true);
        {
            QPrintPreviewDialog dialog(&device, this);
            connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
                    [&print](QPrinter* target) { print(*target); });
            dialog.exec();
        }
        if (m_context.printPreviewMode)
            m_context.printPreviewMode(false);
    } else {
        QPrintDialog dialog(&device, this);
        if (dialog.exec() == QDialog::Accepted)
            print(device);
    }
    return true;
}

QMenu* LyricView::buildContextMenu()
{
    auto* menu = new QMenu(this);
    std::vector<QMenu*> levels{menu};
    for (const MenuEntry& entry : lyricContextMenu()) {
        levels.resize(size_t(entry.level) + 1);
        QMenu* into = levels.back();
        const QString text = QString::fromUtf8(entry.text.data(), qsizetype(entry.text.size()));
        if (entry.kind == MenuEntry::Kind::Popup) {
            levels.push_back(into->addMenu(text));
            continue;
        }
        if (entry.kind == MenuEntry::Kind::Separator) {
            into->addSeparator();
            continue;
        }
        QAction* action = into->addAction(text);
        action->setData(entry.id);
        CmdUi ui;
        if (update(entry.id, ui)) {
            action->setEnabled(ui.enabled);
            action->setCheckable(ui.checked);
            action->setChecked(ui.checked);
        }
        const CommandId id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { runMenuCommand(id); });
    }
    return menu;
}

void LyricView::runMenuCommand(CommandId id)
{
    if (hasHandler(id)) {
        handle(id);
        return;
    }
    if (m_context.sendToFrame)
        m_context.sendToFrame(id);
}

void LyricView::contextMenuEvent(QContextMenuEvent* event)
{
    if (std::exchange(m_rightPressEdited, false) && event->reason() == QContextMenuEvent::Mouse) {
        event->accept();
        return;
    }
    QMenu* menu = buildContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

int LyricView::currentStyle() const
{
    return m_context.style ? std::clamp(m_context.style(), 0, 3) : int(kLyricBall);
}

void LyricView::attach(CSongDoc& song)
{
    SongView::attach(song);
    m_trackChoice.forgetSearch();
}

void LyricView::readSettings()
{
    IProfile* profile = m_context.profile;
    if (!profile)
        return;
    Settings& s = m_settings;
    s.centre = readSetting(*profile, settings::kLyricCenter) != 0;
    s.stretch = std::clamp(readSetting(*profile, settings::kLyricStretch), 0, 2);
    s.graphic = readSetting(*profile, settings::kLyricGraphic) != 0;
    s.paginate = readSetting(*profile, settings::kLyricPaginate) != 0;
    s.picturePath = readSettingText(*profile, settings::kLyricGfxPath);
    s.color = uint32_t(readSetting(*profile, settings::kLyricColor));
    s.color2 = uint32_t(readSetting(*profile, settings::kLyricColor2));
    s.backcolor = uint32_t(readSetting(*profile, settings::kLyricBackcolor));
    s.backcolor2 = uint32_t(readSetting(*profile, settings::kLyricBackcolor2));
    const int32_t height = readSetting(*profile, settings::kLyricFontHeight);
    s.font.height = clampLyricFontHeight(height == INT32_MIN ? kMaxLyricFontHeight : std::abs(height));
    s.font.weight = std::clamp(readSetting(*profile, settings::kLyricFontWeight), 100, 900);
    s.font.face = readSettingText(*profile, settings::kLyricFontName);
}

void LyricView::initialUpdate()
{
    readSettings();
    m_initialised = true;
    rebuild();
}

void LyricView::songUpdate(uint32_t hint)
{
    if (hint == kHintTempoMap || hint == kHintTrackProperties) {
        update();
        return;
    }
    rebuild();
}

void LyricView::rebuild()
{
    if (!m_initialised)
        return;
    m_style = currentStyle();
    m_items.clear();
    m_title.clear();
    m_pages = LyricPages();
    m_follow = LyricFollowState();
    m_lyricRow = -1;
    CSongDoc* doc = song();
    if (doc && m_context.trackRows) {
        m_lyricRow = m_trackChoice.choose(*doc, *m_context.trackRows, m_topLevel);
        if (m_lyricRow < 0 || !trackYieldsLyrics(*doc->tracks[size_t(m_lyricRow)])) {
            // A track that shows nothing: look once for one that does.
            const int found = m_trackChoice.searchOnce(*doc, *m_context.trackRows);
            if (found >= 0)
                m_lyricRow = m_trackChoice.choose(*doc, *m_context.trackRows, false);
        }
    }
    if (doc && m_lyricRow >= 0) {
        std::array<std::string, 10> macros;
        if (m_context.profile) {
            for (size_t d = 0; d < macros.size(); ++d)
                macros[d] = readSettingText(*m_context.profile, settings::kMacro, std::to_string(d));
        }
        const LyricTiming timing{&doc->measureMap, doc->timeBase, doc->endTick};
        LyricBuild build = buildLyricItems(lyricSources(*doc->tracks[size_t(m_lyricRow)]),
                                           lyricTexts(*doc, macros), m_style, timing);
        m_items = std::move(build.items);
        m_title = std::move(build.title);
    }
    LyricLayoutParams params;
    params.clientWidth = width();
    params.clientHeight = height();
    params.leftMargin = m_leftMargin;
    params.rightMargin = m_rightMargin;
    params.style = m_style;
    params.paginate = m_settings.paginate;
    params.centre = m_settings.centre;
    params.font = m_settings.font;
    params.picture = m_settings.picturePath;
    m_pages = layoutLyricItems(m_items, m_title, params, QtTextMeasurer());
    const bool hasTrack = m_lyricRow >= 0;
    m_zoomBar->enableZoom(hasTrack && m_settings.font.height < 50, hasTrack && m_settings.font.height >= 21);
    if (!hasTrack)
        m_zoomBar->enableScrollBar(3);
    m_picture = nullptr;
    if (m_settings.graphic && !m_settings.picturePath.empty())
        loadPagePicture(m_settings.picturePath);
    follow();
    update();
}

void LyricView::follow()
{
    CSongDoc* doc = song();
    if (!m_initialised || m_userScrolling || m_dragging || !doc)
        return;
    const LyricFollowInput input{doc->position(), width(), height(), m_leftMargin, m_style};
    applyFollow(followLyrics(m_items, m_pages, input, m_follow));
}

void LyricView::applyFollow(const LyricFollowResult& result)
{
    m_follow = result.state;
    if (result.pageChanged) {
        if (m_follow.scrollEnabled) {
            ScrollInfo info;
            info.min = 0;
            info.max = m_follow.pageHeight;
            info.page = std::max(height(), 0);
            info.pos = 0;
            m_zoomBar->setScrollInfo(info, ZoomScrollBar::kRange | ZoomScrollBar::kPage | ZoomScrollBar::kPos);
            m_zoomBar->enableScrollBar(0);
        } else {
            m_zoomBar->setScrollPos(0);
            m_zoomBar->enableScrollBar(3);
        }
        const int page = m_follow.currentPage;
        if (page >= 0 && size_t(page) < m_pages.pictures.size())
            loadPagePicture(m_pages.pictures[size_t(page)]);
    }
    if (result.scrollChanged)
        m_zoomBar->setScrollPos(m_follow.scrollOffset);
    if (result.repaintAll) {
        update();
        return;
    }
    for (const LyricRect& r : result.repaint)
        update(toQRect(r));
}

const QImage* LyricView::cachedPicture(const std::filesystem::path& path)
{
    auto found = m_pictureCache.find(path);
    if (found != m_pictureCache.end())
        return found->second.isNull() ? nullptr : &found->second;
    QImage image;
    std::error_code error;
    // Only plain files: a song may name a pipe or a device.
    // Opened by its own bytes: Qt cannot name a file whose name is not UTF-8.
    std::unique_ptr<QFile> file;
    if (std::filesystem::is_regular_file(path, error) && (file = openLocalFile(path))) {
        QImageReader reader(file.get());
        reader.setAllocationLimit(kMaxPictureMegabytes);
        image = reader.read();
    }
    const QImage& kept = m_pictureCache.emplace(path, std::move(image)).first->second;
    return kept.isNull() ? nullptr : &kept;
}

void LyricView::loadPagePicture(const std::string& name)
{
    m_picture = nullptr;
    if (!m_settings.graphic || name.empty())
        return;
    const std::filesystem::path written(name);
    std::vector<std::filesystem::path> candidates{written};
    if (CSongDoc* doc = song(); doc && !doc->pathName.empty())
        candidates.push_back(doc->pathName.parent_path() / written);
    candidates.push_back(std::filesystem::path(m_settings.picturePath).parent_path() / written);
    for (const std::filesystem::path& candidate : candidates) {
        if ((m_picture = cachedPicture(candidate)))
            return;
    }
}

int LyricView::hitTest(QPoint point) const
{
    const int page = m_follow.currentPage;
    if (!song() || page < 0 || page >= m_pages.pageCount())
        return -1;
    const int x = point.x() - m_leftMargin;
    const int y = point.y() + m_follow.scrollOffset;
    for (int i = m_pages.starts[size_t(page)]; i < m_pages.starts[size_t(page) + 1]; ++i) {
        const LyricItem& item = m_items[size_t(i)];
        const LyricRect& r = item.rect;
        if (item.eventIndex >= 0 && x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return i;
    }
    return -1;
}

void LyricView::resizeEvent(QResizeEvent* event)
{
    SongView::resizeEvent(event);
    m_zoomBar->setGeometry(width() - kRightMargin, 0, kRightMargin, height());
    rememberNormalRect();
    if (m_initialised)
        rebuild();
}

void LyricView::onScrolled(int code)
{
    const int limit = std::max(0, m_follow.pageHeight - height());
    int offset = m_follow.scrollOffset;
    switch (code) {
    case ZoomScrollBar::kLineUp: offset -= 1; break;
    case ZoomScrollBar::kLineDown: offset += 1; break;
    case ZoomScrollBar::kPageUp: offset -= height(); break;
    case ZoomScrollBar::kPageDown: offset += height(); break;
    case ZoomScrollBar::kThumbTrack:
    case ZoomScrollBar::kThumbPosition: offset = m_zoomBar->trackPos(); break;
    default: break;
    }
    m_userScrolling = code != ZoomScrollBar::kThumbPosition && code != ZoomScrollBar::kEndScroll;
    m_follow.scrollOffset = std::clamp(offset, 0, limit);
    m_zoomBar->setScrollPos(m_follow.scrollOffset);
    update();
}

void LyricView::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        m_rightPressEdited = false;
        if (m_fullScreen)
            restoreNormalWindow();
        const int item = hitTest(at);
        CTrack* track = lyricTrack();
        if (m_dragging || item < 0 || !track || !canEdit())
            return;
        CSongDoc& doc = *song();
        ++doc.selectionStamp;
        m_items[size_t(item)].mark = 1;
        LyricMarks::commit(m_items, *track, doc);
        m_rightPressEdited = true;
        editLyric(m_items[size_t(item)].eventIndex);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        SongView::mousePressEvent(event);
        return;
    }
    if (m_fullScreen)
        restoreNormalWindow();
    if (!song() || (m_context.performanceMode && m_context.performanceMode()) || !m_context.engine)
        return;
    if (m_context.engine->transportState() != TransportState::Stopped) {
        const int item = hitTest(at);
        if (item >= 0)
            m_context.engine->Play(m_items[size_t(item)].tick);
        return;
    }
    if (!lyricTrack())
        return;
    if (!(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)))
        ++song()->selectionStamp;
    m_dragging = true;
    m_dragCtrl = event->modifiers() & Qt::ControlModifier;
    m_dragStart = QPoint(at.x() - m_leftMargin, at.y() + m_follow.scrollOffset);
    m_dragPoint = at;
    m_dragTimer.start();
    markBand();
}

void LyricView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        SongView::mouseMoveEvent(event);
        return;
    }
    m_dragPoint = event->position().toPoint();
    markBand();
    update();
}

void LyricView::markBand()
{
    CTrack* track = lyricTrack();
    const int page = m_follow.currentPage;
    if (!track || page < 0 || page >= m_pages.pageCount())
        return;
    CSongDoc& doc = *song();
    const LyricRect band{m_dragStart.x(), m_dragStart.y(), m_dragPoint.x() - m_leftMargin,
                         m_dragPoint.y() + m_follow.scrollOffset};
    const bool changed = LyricMarks::mark(m_items, m_pages.starts[size_t(page)], m_pages.starts[size_t(page) + 1],
                                          band, m_dragCtrl, *track, doc.selectionStamp);
    const auto [first, last] = LyricMarks::range(m_items, *track, doc.selectionStamp);
    doc.selectionFrom = first;
    doc.selectionTo = last;
    if (changed)
        update();
    if (m_context.statusText)
        m_context.statusText("");
}

void LyricView::dragTimerStep()
{
    if (!m_dragging)
        return;
    const int limit = std::max(0, m_follow.pageHeight - height());
    int offset = m_follow.scrollOffset;
    if (m_dragPoint.y() < 0)
        offset = std::max(0, offset - kDragScrollStep);
    else if (m_dragPoint.y() > height())
        offset = std::min(limit, offset + kDragScrollStep);
    if (offset != m_follow.scrollOffset) {
        m_follow.scrollOffset = offset;
        m_zoomBar->setScrollPos(offset);
        update();
    }
    markBand();
}

void LyricView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton) {
        SongView::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    m_dragTimer.stop();
    m_dragPoint = event->position().toPoint();
    markBand();
    CSongDoc* doc = song();
    CTrack* track = lyricTrack();
    if (!doc || !track) {
        update();
        return;
    }
    LyricMarks::commit(m_items, *track, *doc);
    const int item = hitTest(m_dragPoint);
    if (item >= 0)
        doc->Locate(m_items[size_t(item)].tick);
    doc->context().host.UpdateAllViews();
    update();
}

void LyricView::rememberNormalRect()
{
    if (m_topLevel && !m_fullScreen && windowState() == Qt::WindowNoState)
        m_normalRect = geometry();
}

void LyricView::moveEvent(QMoveEvent* event)
{
    SongView::moveEvent(event);
    rememberNormalRect();
}

void LyricView::saveNormalRect()
{
    if (!m_topLevel || m_fullScreen || isMinimized() || isMaximized())
        return;
    m_normalRect = geometry();
    if (!m_context.profile)
        return;
    writeSetting(*m_context.profile, settings::kLyricX, m_normalRect.x());
    writeSetting(*m_context.profile, settings::kLyricY, m_normalRect.y());
    writeSetting(*m_context.profile, settings::kLyricCX, m_normalRect.width());
    writeSetting(*m_context.profile, settings::kLyricCY, m_normalRect.height());
}

void LyricView::showFullScreenWindow()
{
    if (!m_topLevel || m_fullScreen)
        return;
    saveNormalRect();
    if (m_context.profile)
        writeSetting(*m_context.profile, settings::kLyricMaximized, 1);
    m_fullScreen = true;
    QScreen* own = screen() ? screen() : QGuiApplication::primaryScreen();
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    if (own)
        setGeometry(own->geometry());
    showFullScreen();
}

void LyricView::restoreNormalWindow()
{
    if (!m_topLevel || !m_fullScreen)
        return;
    if (m_context.profile)
        writeSetting(*m_context.profile, settings::kLyricMaximized, 0);
    QRect rect(0, 0, 500, 500);
    if (m_context.profile) {
        rect = QRect(readSetting(*m_context.profile, settings::kLyricX), readSetting(*m_context.profile, settings::kLyricY),
                     readSetting(*m_context.profile, settings::kLyricCX), readSetting(*m_context.profile, settings::kLyricCY));
    }
    setWindowFlags(Qt::Window);
    showNormal();
    setGeometry(rect);
    m_fullScreen = false;
}

void LyricView::changeEvent(QEvent* event)
{
    SongView::changeEvent(event);
    if (!m_topLevel || event->type() != QEvent::WindowStateChange)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool wasNormal = !(change->oldState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    if (wasNormal && (isMinimized() || isMaximized()) && !m_fullScreen) {
        // The frame's rectangle before the switch; geometry() already moved.
        if (m_normalRect.isValid() && m_context.profile) {
            writeSetting(*m_context.profile, settings::kLyricX, m_normalRect.x());
            writeSetting(*m_context.profile, settings::kLyricY, m_normalRect.y());
            writeSetting(*m_context.profile, settings::kLyricCX, m_normalRect.width());
            writeSetting(*m_context.profile, settings::kLyricCY, m_normalRect.height());
        }
    }
    if (isMaximized() && !m_fullScreen)
        showFullScreenWindow();
}

void LyricView::closeEvent(QCloseEvent* event)
{
    saveNormalRect();
    SongView::closeEvent(event);
}

void LyricView::drawPicture(QPainter& painter, const QRect& area) const
{
    if (!m_settings.graphic || !m_picture)
        return;
    const QImage& image = *m_picture;
    switch (m_settings.stretch) {
    case 0:
        painter.drawTiledPixmap(area, QPixmap::fromImage(image));
        break;
    case 1: {
        QRect target(QPoint(0, 0), image.size());
        target.moveCenter(area.center());
        painter.drawImage(target, image);
        break;
    }
    default: {
        QRect target(QPoint(0, 0), image.size().scaled(area.size(), Qt::KeepAspectRatio));
        target.moveCenter(area.center());
        painter.drawImage(target, image);
        break;
    }
    }
}

void LyricView::drawLines(QPainter& painter, const QRect& area, const QRect& clip) const
{
    const int page = m_follow.currentPage;
    const int scroll = m_follow.scrollOffset;
    const int current = m_follow.currentItem;
    const bool currentValid = current >= 0 && current < int(m_items.size()) && m_items[size_t(current)].eventIndex >= 0;
    const bool fill = m_settings.backcolor2 != m_settings.backcolor;
    const QColor text = fromColorRef(m_settings.color);
    const QColor text2 = fromColorRef(m_settings.color2);
    const QColor back2 = fromColorRef(m_settings.backcolor2);
    const uint32_t stamp = song() ? song()->selectionStamp : 0;
    const CTrack* track = song() && m_lyricRow >= 0 ? song()->tracks[size_t(m_lyricRow)].get() : nullptr;
    const int lineHeight = m_settings.font.height * 5 / 4;

    if (page == 0 && clip.top() + scroll < 4 * lineHeight && !m_title.empty()) {
        painter.setFont(toQFont(m_settings.font));
        painter.setPen(text);
        painter.drawText(QRect(area.left(), -scroll, area.width(), 3 * lineHeight), Qt::AlignCenter,
                         QString::fromStdString(m_title));
    }
    const int end = m_pages.starts[size_t(page) + 1];
    for (int line = m_pages.starts[size_t(page)]; line < end;) {
        int last = line;
        while (last + 1 < end && m_items[size_t(last) + 1].rect.top == m_items[size_t(line)].rect.top)
            ++last;
        const LyricItem& first = m_items[size_t(line)];
        const int top = first.rect.top - scroll;
        if (top > clip.bottom())
            break;
        if (first.rect.bottom - scroll >= clip.top()) {
            painter.setFont(toQFont(first.font ? *first.font : m_settings.font));
            if (m_leftMargin > 0 && song()) {
                std::string label;
                FormatTime(song()->measureMap, song()->timeBase, first.tick + song()->timeBase / 6, label);
                const size_t second = label.find(':', label.find(':') + 1);
                label = label.substr(0, second);
                painter.save();
                painter.setFont(QGuiApplication::font());
                painter.setPen(fromColorRef(kTimeLabelColour));
                painter.drawText(QRect(0, top, m_leftMargin - 8, first.rect.height()),
                                 Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                                 QString::fromStdString(label).trimmed());
                painter.restore();
            }
            for (int i = line; i <= last; ++i) {
                const LyricItem& item = m_items[size_t(i)];
                if (item.eventIndex < 0)
                    continue;
                QRect box = toQRect(item.rect).translated(area.left(), -scroll);
                bool lit = false;
                if (m_style == kLyricSyllables)
                    lit = i == current && item.highlight;
                else if (m_style == kLyricLines)
                    lit = currentValid && item.highlight && item.rect.top == m_items[size_t(current)].rect.top;
                else if (m_style == kLyricGrid)
                    lit = i == current;
                if (lit && fill)
                    painter.fillRect(box, back2);
                if (m_style == kLyricGrid)
                    qDrawShadePanel(&painter, box, palette(), false, 1);
                bool marked = item.mark == 1;
                if (item.mark == 0 && track && size_t(item.eventIndex) < track->events.size())
                    marked = stamp != 0 && track->events[size_t(item.eventIndex)].selectionStamp == stamp;
                painter.setPen(marked ? fromColorRef(kMarkedColour) : lit ? text2 : text);
                painter.drawText(box.topLeft() + QPoint(0, painter.fontMetrics().ascent()),
                                 QString::fromStdString(item.text));
            }
        }
        line = last + 1;
    }
    if (m_style == kLyricBall)
        drawBall(painter, QPoint(m_follow.ballX + area.left(), m_follow.ballY - scroll));
}

void LyricView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect clip = event->rect();
    const QRect area(m_leftMargin, 0, std::max(0, width() - m_leftMargin - m_rightMargin), height());
    painter.fillRect(clip.intersected(area), fromColorRef(m_settings.backcolor));
    if (m_leftMargin > 0 && clip.left() < m_leftMargin)
        painter.fillRect(QRect(0, 0, m_leftMargin, height()).intersected(clip), fromColorRef(kMarginColour));
    if (!m_initialised)
        return;
    painter.setClipRect(clip.intersected(area.adjusted(-m_leftMargin, 0, 0, 0)));
    drawPicture(painter, area);
    if (!song())
        return;
    if (m_items.empty()) {
        painter.setFont(programFont("Verdana", -10, 400));
        painter.setPen(fromColorRef(m_settings.color));
        painter.drawText(area.adjusted(0, 90, 0, 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                         QString::fromUtf8(kHelpText));
        return;
    }
    if (m_follow.currentPage < 0 || m_follow.currentPage >= m_pages.pageCount())
        return;
    drawLines(painter, area, clip);
    if (m_dragging) {
        const QPoint start(m_dragStart.x() + m_leftMargin, m_dragStart.y() - m_follow.scrollOffset);
        painter.setClipping(false);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(start, m_dragPoint).normalized());
    }
}

void registerLyricView(ViewFactory& factory, const LyricViewContext& context)
{
    factory.registerView(ViewKind::Lyric, [context](const ViewRequest& request) -> SongView* {
        return new LyricView(context, request.topLevel, request.parent);
    });
}

} // namespace rz
