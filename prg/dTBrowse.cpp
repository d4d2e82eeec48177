// The dialog browse's positional constructor, in code or over a dialog template.
#include "Menu.h"
#include "Tabs.h"
#include "dAbreBro.h"
#include "dlgTemplate.h"

std::unique_ptr<uDTbrowse> uDTbrowse::New(DTbrowseNew args) {
    WTbrowseNew& a = args.base;
    FramePlace place = framePlace(a);
    bool fromTemplate = !args.cResName.empty();
    DialogOptions options{a.cTitle, place.width, place.height, Units::Pixels};
    options.parent = a.oWnd;
    if (fromTemplate) options.templateName = args.cResName;
    Value initial = a.uIndex;
    auto d = std::make_unique<uDTbrowse>(std::move(options));
    d->newPrev(a.aIndexTxt, a.aIndexNum, a.aIndexMsg, a.aPrintTxt, a.aPrintBlk, a.aPrintMsg, initial, a.bLDblClick,
               a.lEdit, a.lYesNo, a.lDel, a.bBtnDel);
    uDTbrowse* self = d.get();
    if (!fromTemplate) {
        d->browseOf(a);
    } else {
        CAbreBrowReDefine r;
        r.nId = args.nBrwId;
        r.source = a.source;
        r.oDlg = self;
        r.aHeaders = std::move(a.aHeaders);
        r.aColSizes = std::move(a.aColSizes);
        r.bChange = std::move(a.bChange);
        r.bLDblClick = a.bLDblClick;
        r.bRClicked = std::move(a.bRClicked);
        r.lUpdate = args.lBrwUpdate;
        r.cAlias = a.cAlias;
        r.bWhen = args.bBrwWhen;
        r.bValid = args.bBrwValid;
        r.bLClicked = std::move(a.bLClicked);
        r.bSeek = std::move(a.bSeek);
        r.lSeekEOF = a.lSeekEOF;
        d->oBrw = tCAbreBrow::ReDefine(std::move(r));
    }
    if (fromTemplate && a.oBrush) d->oBrw->oBrush = *a.oBrush;
    // Unlike the browse window, an initial index that is not among the orders selects none.
    d->oBrw->nIndex = d->indexPosition(initial);
    d->ownBrowse();
    // The menu: false none, a menu that one, otherwise the default menu in code and none
    // from a template.
    if (a.oMenu.kind == MenuArg::Kind::Given) d->pendingMenu_ = std::move(a.oMenu.menu);
    else if (a.oMenu.kind == MenuArg::Kind::Default && !fromTemplate) d->pendingMenu_ = d->menuDefault();
    d->uBarra = a.uBarra;
    if (fromTemplate && args.nTabsId != 0 && !d->aIndexTxt.empty()) {
        if (const DlgItem* place = self->templateItem(args.nTabsId)) {
            double k = self->units() == Units::DialogUnits ? 1 : 2;
            Rect at{place->rect.top * k, place->rect.left * k, place->rect.width * k, place->rect.height * k};
            d->oTabs = self->add<TTabs>(TabsOptions{at, d->aIndexTxt, std::max(1, d->oBrw->nIndex),
                                                    [self](int n) { self->tabAction(n); }});
        }
    }
    d->bInicio = [self, fromTemplate](TDialog&) {
        if (self->pendingMenu_) self->installMenu(std::move(self->pendingMenu_));
        if (!fromTemplate) self->barras();
        if (self->oBrw->isTable() && self->oBrw->nIndex != 0) self->setIndex(self->oBrw->nIndex);
    };
    return d;
}
