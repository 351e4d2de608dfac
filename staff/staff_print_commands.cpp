// The staff view's Print, Print without a dialog and Print preview: the
// score is planned afresh for the printer's page at every print, on a copy
// of the view's model, so the screen goes on showing its own. GUI thread.

#include "staff/staff_view.h"

#include "core/engine_link.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "res/command_ids.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "staff/model/staff_print_plan.h"
#include "staff/staff_print.h"
#include "staff/symbols/music_font.h"
#include "staff/symbols/staff_header.h"
#include "ui/font_substitutions.h"
#include "ui/local_path.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace rz {
namespace {

constexpr const char* kStavesDoNotFit =
    "Sorry, all staves will not fit onto one page.  Try another staff or paper size.";

IPrompt* promptOf(const CSongDoc* song)
{
    return song ? &song->context().prompt : nullptr;
}

} // namespace

QPrinter& StaffView::printer()
{
    if (QPrinter* shared = m_context.printer ? m_context.printer() : nullptr)
        return *shared;
    if (!m_ownPrinter)
        m_ownPrinter = std::make_shared<QPrinter>();
    return *m_ownPrinter;
}

StaffPrintPlan StaffView::printPlan(QSize pageHundredths) const
{
    const CSongDoc* doc = song();
    if (!doc || !font())
        return {};
    StaffPrintInput in;
    in.pageWidth = pageHundredths.width();
    in.pageHeight = pageHundredths.height();
    in.screenStaffSize = m_metrics.staffSize;
    // Read at every print: the options page's OK reaches an open view at once.
    if (const IProfile* p = profile())
        in.printStaffSize = readSetting(*p, settings::kStaffPrintSize);
    if ((doc->selectionKind & kSelectTimeRange) && doc->selectionFrom >= 0) {
        in.selectionFrom = doc->selectionFrom;
        in.selectionTo = std::max(doc->selectionTo, doc->selectionFrom);
    }
    in.lyricFace = m_lyricFace.family().toStdString();
    in.lyricWeight = m_lyricFace.weight();
    in.chordFace = m_chordFace.family().toStdString();
    in.chordWeight = m_chordFace.weight();
    const int p = printStaffHeight(in.printStaffSize);
    const FontNotationMetrics metrics(*font(), p + 1, m_lyricFace.family());
    return planStaffPrint(m_model, *doc, in, metrics);
}

bool StaffView::refusedPrint(const StaffPrintPlan& plan)
{
    if (!plan.refused && plan.pageCount() > 0)
        return false;
    if (plan.refused)
        if (IPrompt* prompt = promptOf(song()))
            prompt->message(kStavesDoNotFit, PromptIcon::Stop);
    return true;
}

bool StaffView::printPages(QPagedPaintDevice& device, int from, int to)
{
    const StaffPrintPlan plan = printPlan(printAreaHundredths(device));
    if (refusedPrint(plan) || !font())
        return false;
    return printStaffPlan(plan, device, *font(), from, to);
}

void StaffView::updatePrint(CommandId, CmdUi& ui)
{
    const CSongDoc* doc = song();
    const bool performance = m_context.performanceMode && m_context.performanceMode();
    ui.enabled = doc && font() && !m_model.staves.empty() && !performance
                 && doc->context().engine.transportState() == TransportState::Stopped;
}

bool StaffView::previewPrint()
{
    QPrinter& device = printer();
    if (refusedPrint(printPlan(printAreaHundredths(device))))
        return true;
    if (m_context.printPreviewMode)
        m_context.printPreviewMode(true);
    {
        QPrintPreviewDialog dialog(&device, this);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
                [this](QPrinter* target) { printPages(*target); });
        dialog.exec();
    }
    if (m_context.printPreviewMode)
        m_context.printPreviewMode(false);
    return true;
}

bool StaffView::onPrint(CommandId id)
{
    if (id == kIdFilePrintPreview)
        return previewPrint();
    QPrinter& device = printer();
    const StaffPrintPlan plan = printPlan(printAreaHundredths(device));
    if (refusedPrint(plan))
        return true;
    if (id == kIdFilePrintDirect && !QPrinterInfo::availablePrinters().isEmpty()) {
        printStaffPlan(plan, device, *font());
        return true;
    }
    QPrintDialog dialog(&device, this);
    dialog.setMinMax(1, plan.pageCount());
    dialog.setFromTo(1, plan.pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return true;
    const bool all = device.printRange() == QPrinter::AllPages;
    printPages(device, all ? 0 : device.fromPage(), all ? 0 : device.toPage());
    return true;
}

bool printToPdf(StaffView& view, const std::filesystem::path& path, const QPageSize& pageSize)
{
    IPrompt* prompt = promptOf(view.song());
    const QString file = qtPath(path);
    bool ok = false;
    {
        QPdfWriter writer(file);
        writer.setPageSize(pageSize);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(600);
        const StaffPrintPlan plan = view.printPlan(printAreaHundredths(writer));
        if (plan.refused) {
            if (prompt)
                prompt->message(kStavesDoNotFit, PromptIcon::Stop);
            return false;
        }
        if (plan.pageCount() == 0)
            return false; // nothing to print
        QFile probe(file);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (prompt)
                prompt->message("The file " + path.string() + " cannot be written.", PromptIcon::Stop);
            return false;
        }
        probe.close();
        ok = view.printPages(writer);
    }
    if (!ok) {
        QFile::remove(file);
        if (prompt)
            prompt->message("The file " + path.string() + " cannot be written.", PromptIcon::Stop);
    }
    return ok;
}

} // namespace rz
