// Printing of the active network view: the view's picture drawn again at
// the printer's resolution (one logical unit is still 1/100 inch) on white
// paper. Where no printer exists, the page goes to a PDF file.
//
//   QPrinter printer;  printer.setOutputFileName("view.pdf");
//   PrintView(*view, printer);
#pragma once

class CLogicView;
class QPrinter;
class QWidget;

// The printer that Print Setup adjusts and Print uses (one for the run).
QPrinter& ConsolePrinter();
// Prints the view on one page. False when the printer cannot start.
bool PrintView(const CLogicView& view, QPrinter& printer);
// The Print command: the print dialog, or, with no printer on the
// machine, a PDF file chosen by the operator; then the page.
void RunPrintCommand(const CLogicView& view, QWidget* parent);
// The Print Setup command: the page set-up dialog of the console's printer.
void RunPrintSetup(QWidget* parent);
