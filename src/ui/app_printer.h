#pragma once

#include "report/pdf_writer.h"

class QPrinter;

namespace kestra::ui {

// The program's one printer: Print Setup sets it up, and every connection window prints, previews and exports on
// it, so a paper or printer chosen once holds for all of them. Made on first use, deleted with the application.
QPrinter& application_printer();

// The paper of a PDF export: Letter when the printer is set up for Letter, else A4.
report::PaperSize export_paper(const QPrinter& printer);

}  // namespace kestra::ui
