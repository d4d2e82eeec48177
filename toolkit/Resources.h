#pragma once
// Pictures by name and by handle.
//
// Resources: complete BMP files embedded in the program, registered at start-up under a
// name (looked up without regard to case: "BMP_TARVELON" finds "bmp_tarvelon").
// Handles: pictures made from BMP bytes held in memory (CreateMemBitmap), named by a
// positive number that table cells and browses can carry as a plain value; they live until
// DeleteMemBitmap or the end of the process.
//
// Missing resources and bad bytes are reported as error records through the error handler
// ("TOOLKIT" subsystem); the call then answers an empty picture or handle 0.
#include <cstdint>
#include <span>
#include <string>

#include "Picture.h"
#include "dlgTemplate.h"

// Registers `bytes` (which must outlive the process, as embedded data does) under `name`.
void registerResource(const std::string& name, std::span<const uint8_t> bytes);
// The registered bytes, empty when there is no such resource.
std::span<const uint8_t> resourceBytes(const std::string& name);
// The resource decoded; an empty picture (and an error record) when missing or bad.
Picture resourcePicture(const std::string& name);
// BMP bytes decoded; an empty picture and an error record naming `what` when bad.
Picture pictureFromBmp(std::span<const uint8_t> bytes, const std::string& what);

// Dialog templates (dlgTemplate.h) by name, kept apart from the pictures: registered from
// the embedded resources/dialogs/NAME.dlg files and looked up without regard to case.
void registerDialogResource(const std::string& name, std::span<const uint8_t> text);
// The template parsed; false, with an error record naming the template, when it is
// missing ("Dialog template not found") or malformed (what is wrong, and where).
bool dialogTemplate(const std::string& name, DialogTemplate& out);

int CreateMemBitmap(std::span<const uint8_t> bmpBytes);
int CreateMemBitmap(const std::string& bmpBytes);
// The picture of a handle, nullptr for 0 or an unknown handle.
const Picture* memBitmap(int handle);
bool DeleteMemBitmap(int handle);
