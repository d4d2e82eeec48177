// The child-window browse's positional constructor.
#include "Error.h"
#include "mAbreBro.h"

std::unique_ptr<uMTBrowse> uMTBrowse::New(MTbrowseNew args) {
    WTbrowseNew& a = args.base;
    auto* frame = dynamic_cast<TMdiFrame*>(a.oWnd);
    if (!frame) {
        raiseError(ErrorRecord{.genCode = EG_ARG, .subCode = 3012, .subsystem = "BROWSE",
                               .description = "A child browse needs the multiple-document frame",
                               .operation = "uMTBrowse:New"});
        return nullptr;
    }
    TFont font;
    double rowUnit = a.lPixel ? 1 : font.textHeight(), colUnit = a.lPixel ? 1 : font.textWidth("B");
    int width = int((a.nRight - a.nLeft) * colUnit), height = int((a.nBottom - a.nTop) * rowUnit);
    Value initial = a.uIndex;
    auto c = std::make_unique<uMTBrowse>(
        *frame, MdiChildOptions{a.cTitle, width > 0 ? width : 640, height > 0 ? height : 400, Units::Pixels});
    c->newPrev(a.aIndexTxt, a.aIndexNum, a.aIndexMsg, a.aPrintTxt, a.aPrintBlk, a.aPrintMsg, initial, a.bLDblClick,
               a.lEdit, a.lYesNo, a.lDel, a.bBtnDel);
    if (!a.oIcon.empty()) c->setIcon(TIcon::fromResource(a.oIcon));
    c->browse(a.source, std::move(a.aHeaders), std::move(a.aColSizes), std::move(a.bChange), a.bLDblClick,
              std::move(a.bRClicked), a.cAlias, std::move(a.bLClicked), std::move(a.bSeek), a.lSeekEOF);
    if (a.oBrush) c->oBrw->oBrush = *a.oBrush;
    c->setClient(c->oBrw);
    c->newPost(initial, std::move(a.oMenu), a.uBarra);
    return c;
}
