#pragma once
// The OEM/ANSI pair of the record buffer: text stored in code page 850 ("OEM") and
// handled by the program in Windows-1252 ("ANSI"). The program's text is UTF-8, so a
// stored character stands for the Windows-1252 byte it is read as; converting reinterprets
// that byte in the other code page, which keeps the stored bytes intact on a round trip.
#include <string>
#include <string_view>

// Characters with no Windows-1252 byte cannot come from OEM bytes and are kept as they are.
std::string oemToAnsi(std::string_view text);
// False, naming the first character that has no byte in code page 850 in `bad`, when the
// text cannot be stored; `out` is then unspecified.
bool ansiToOem(std::string_view text, std::string* out, std::string* bad);
