#include "ViewPrinter.h"

#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "CLogicView.h"

QPrinter& ConsolePrinter()
{
  static QPrinter printer(QPrinter::HighResolution);
  return printer;
}

bool PrintView(const CLogicView& view, QPrinter& printer)
{
  QPainter painter;
  if (!painter.begin(&printer))
    return false;
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const LogicalMapping mapping{static_cast<double>(printer.resolution()),
                               static_cast<double>(printer.resolution())};
  view.PaintTo(painter, page.size(), mapping, true);
  return painter.end();
}

namespace {
bool HasPrinter()
{
  return !QPrinterInfo::availablePrinterNames().isEmpty();
}
}  // namespace

void RunPrintCommand(const CLogicView& view, QWidget* parent)
{
  QPrinter& printer = ConsolePrinter();
  if (HasPrinter()) {
    printer.setOutputFormat(QPrinter::NativeFormat);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
      return;
  } else {
    const QString file = QFileDialog::getSaveFileName(parent, "Print", "view.pdf", "PDF files (*.pdf)");
    if (file.isEmpty())
      return;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
  }
  PrintView(view, printer);
}

void RunPrintSetup(QWidget* parent)
{
  QPageSetupDialog dialog(&ConsolePrinter(), parent);
  dialog.exec();
}
