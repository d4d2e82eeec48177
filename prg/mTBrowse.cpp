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
    FramePlace place = framePlace(a);
    Value initial = a.uIndex;
    auto c = std::make_unique<uMTBrowse>(*frame, MdiChildOptions{a.cTitle, place.width, place.height, Units::Pixels});
    c->newPrev(a.aIndexTxt, a.aIndexNum, a.aIndexMsg, a.aPrintTxt, a.aPrintBlk, a.aPrintMsg, initial, a.bLDblClick,
               a.lEdit, a.lYesNo, a.lDel, a.bBtnDel);
    if (!a.oIcon.empty()) c->setIcon(TIcon::fromResource(a.oIcon));
    c->browseOf(a);
    c->setClient(c->oBrw);
    c->newPost(initial, std::move(a.oMenu), a.uBarra);
    return c;
}
