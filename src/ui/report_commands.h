#pragma once

namespace kestra::ui {

class CAdminFrame;

// The report commands of a connection window, on the selected file: Print, Print Preview and Export to PDF. Each
// asks for the Print Options, writes the report afresh into the window's page file, and prints, previews or
// exports it. True when `id` is one of them.
bool run_report_command(CAdminFrame& frame, int id);

// The caption of the save dialog and the filter of Export to PDF.
inline constexpr char kExportPdfCaption[] = "Export to PDF";
inline constexpr char kPdfFilter[] = "PDF files (*.pdf)";

}  // namespace kestra::ui
