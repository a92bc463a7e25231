#pragma once

// moc cannot parse the standard <compare> the record headers need.
#ifndef Q_MOC_RUN
#include "Class/HistoryTrends.h"
#include "Component/ServiceReport.h"
#endif

#include <QPageLayout>
#include <QString>

#include <vector>

class QPagedPaintDevice;

// Lays a service report out on the pages of `device` (a PDF writer or a
// printer): its tables, run over as many pages as they need with their header
// rows repeated, then the trends plots, and "Page i of n" at the foot of every
// page. False, with the reason in `error`, when the device cannot be painted.
bool paintServiceReport(const ServiceReport& report, const std::vector<TrendSeries>& trends,
                        QPagedPaintDevice& device, QString& error);

// A4 upright with margins of 15 mm: the PDF's pages, and the printer's first choice.
QPageLayout serviceReportPageLayout();

// The report as an A4 PDF file at `path`, written whole or not at all.
bool writeServiceReportPdf(const ServiceReport& report, const std::vector<TrendSeries>& trends,
                           const QString& path, QString& error);

// The HTML of the report's tables, as the layout takes it (for tests).
QString serviceReportHtml(const ServiceReport& report);
