#pragma once
// Dialog templates: dialog boxes described in a small text format that a person can read
// and edit (resources/dialogs/NAME.dlg), parsed here without the windowing system.
//
//   # a comment; blank lines are ignored
//   dialog "Title" WIDTH HEIGHT                  size in dialog units (1 unit = 2 pixels)
//   KIND ID TOP LEFT WIDTH HEIGHT ["text"] [OPTION ...]
//
// KIND is one of
//   label    a text label (options: left, center, right)
//   button   a push button with the text as caption (option: default)
//   get      an entry field holding the text (option: picture "@!")
//   browse   a place for a browse that code builds over it by id
//   tabs     a place for a tab row that code builds over it by id
//   btnbmp   a place for a bitmap button that code builds over it by id
//   custom   a place for any other control that code builds over it by id
// Positions and sizes are whole dialog units from 0 to 4000; ids are whole numbers from
// -1 to 65535, and every id other than -1 and 0 appears once. Texts are written in double
// quotes, with \" and \\ for a quote and a backslash inside.
#include <string>
#include <string_view>
#include <vector>

#include "Geometry.h"
#include "Status.h"

enum class DlgKind { Label, Button, Get, Browse, Tabs, BtnBmp, Custom };

struct DlgItem {
    DlgKind kind = DlgKind::Label;
    int id = 0;
    Rect rect;  // dialog units
    std::string text;
    int align = 0;  // labels: TextAlign::Left, Center or Right
    bool isDefault = false;
    std::string picture;
    bool operator==(const DlgItem&) const = default;
};

struct DialogTemplate {
    std::string title;
    int width = 0;  // dialog units
    int height = 0;
    std::vector<DlgItem> items;
    bool operator==(const DialogTemplate&) const = default;

    // The item with this id; nullptr when none.
    const DlgItem* item(int id) const;
};

// Parses a template; a Corruption status naming the line and what is wrong when malformed.
Status parseDialogTemplate(std::string_view text, DialogTemplate& out);
// The template written back in the same format (parsing it gives the same template).
std::string formatDialogTemplate(const DialogTemplate& t);
const char* dlgKindName(DlgKind kind);
