#pragma once
// The run-time error dialog: shows an error record (subsystem, generic code, subcode,
// description, file name, operation) and offers what its flags allow: "&Reintentar" when
// it can retry, "&Continuar" when it can default, and always "&Salir", which answers
// Default and asks the event loop to end so the program closes after the failed operation.
#include "Error.h"

ErrorAction showErrorDialog(const ErrorRecord& r);

// Makes the dialog the process's error handler; returns the previous handler.
ErrorHandler installErrorDialog();
