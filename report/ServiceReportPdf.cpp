#include "report/ServiceReportPdf.h"

#include "report/ListPages.h"
#include "report/TrendsPlot.h"
#include "core/AtomicFile.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr int BodyPointSize = 9;
constexpr int FooterPointSize = 8;
constexpr int TrendsTitlePointSize = 12;
constexpr int PlotsPerPage = 6;
constexpr int PlotColumns = 2;
constexpr int PdfResolution = 300;
constexpr double PageMarginMm = 15;

// Text from the report, safe inside HTML; its line breaks kept.
QString html(const std::string& text)
{
    QString escaped = QString::fromStdString(text).toHtmlEscaped();
    escaped.remove(QLatin1Char('\r'));
    escaped.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return escaped;
}

// A table whose title is its first header row, so that a title never stands
// alone at the foot of a page and comes back on every page the table runs onto.
void appendTable(QString& out, const ReportTable& table)
{
    std::size_t columns = std::max<std::size_t>(1, table.header.size());
    for (const std::vector<std::string>& row : table.rows)
        columns = std::max(columns, row.size());
    out += QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\""
                          " style=\"border-collapse: collapse; border-color: #a0a0a0; margin-top: 10px;\">"
                          "<thead><tr><th colspan=\"%1\" bgcolor=\"#1f5fa8\" align=\"left\""
                          " style=\"color: #ffffff; font-size: 10pt;\">%2</th></tr>")
               .arg(columns)
               .arg(html(table.title));
    if (!table.header.empty()) {
        out += QLatin1String("<tr>");
        for (const std::string& cell : table.header)
            out += QStringLiteral("<th bgcolor=\"#e4eaf3\" align=\"left\">%1</th>").arg(html(cell));
        out += QLatin1String("</tr>");
    }
    out += QLatin1String("</thead>");
    if (table.rows.empty())
        out += QStringLiteral("<tr><td colspan=\"%1\"><i>%2</i></td></tr>").arg(columns).arg(html(table.emptyText));
    const bool keyValue = table.header.empty();
    for (const std::vector<std::string>& row : table.rows) {
        out += QLatin1String("<tr>");
        for (std::size_t c = 0; c < row.size(); ++c) {
            const int span = c + 1 == row.size() ? int(columns - c) : 1;  // a short row's last cell fills it
            const QString spanned = span > 1 ? QStringLiteral(" colspan=\"%1\"").arg(span) : QString();
            if (keyValue && c == 0 && row.size() > 1)
                out += QStringLiteral("<td width=\"40%\" bgcolor=\"#f4f4f4\">%1</td>").arg(html(row[c]));
            else
                out += QStringLiteral("<td%1>%2</td>").arg(spanned, html(row[c]));
        }
        out += QLatin1String("</tr>");
    }
    out += QLatin1String("</table>");
}

QFont fontOfSize(int points, bool bold = false)
{
    QFont font = QGuiApplication::font();
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

// The foot of a page: a rule, the report's subtitle on the left, "Page i of n" on the right.
void paintFooter(QPainter& painter, const QRect& page, int footerHeight, const ServiceReport& report, int number,
                 int total)
{
    painter.save();
    const QFont font = fontOfSize(FooterPointSize);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    const QRect area(page.left(), page.bottom() - footerHeight + 1, page.width(), footerHeight);
    painter.setPen(QColor(0xA0, 0xA0, 0xA0));
    painter.drawLine(area.left(), area.top() + metrics.height() / 2, area.right(), area.top() + metrics.height() / 2);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    const QRect text(area.left(), area.bottom() - metrics.height(), area.width(), metrics.height());
    const QString pageText = QString::fromStdString(report.pageNumbers).arg(number).arg(total);
    const int pageWidth = metrics.horizontalAdvance(pageText);
    const int subtitleWidth = text.width() - pageWidth - metrics.height();
    painter.drawText(QRect(text.left(), text.top(), subtitleWidth, text.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(QString::fromStdString(report.subtitle), Qt::ElideRight, subtitleWidth));
    painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter, pageText);
    painter.restore();
}

// One page of plots: the title on top, the plots in a grid below.
void paintTrendsPage(QPainter& painter, const QRect& body, const ServiceReport& report,
                     const std::vector<TrendSeries>& trends, std::size_t first)
{
    painter.save();
    const QFont titleFont = fontOfSize(TrendsTitlePointSize, true);
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    const int titleHeight = QFontMetrics(titleFont, painter.device()).height() * 2;
    painter.drawText(QRect(body.left(), body.top(), body.width(), titleHeight), Qt::AlignLeft | Qt::AlignTop,
                     QString::fromStdString(report.trendsTitle));

    painter.setFont(fontOfSize(BodyPointSize));
    const int rows = (PlotsPerPage + PlotColumns - 1) / PlotColumns;
    const int gap = QFontMetrics(painter.font(), painter.device()).height();
    const int cellWidth = (body.width() - gap * (PlotColumns - 1)) / PlotColumns;
    const int cellHeight = (body.height() - titleHeight - gap * (rows - 1)) / rows;
    // A plot wider than tall by half reads best; the rest of the cell stays empty.
    const int plotHeight = std::min(cellHeight, cellWidth * 2 / 3);
    const std::size_t last = std::min(trends.size(), first + PlotsPerPage);
    int valueWidth = 0;
    for (std::size_t i = first; i < last; ++i)
        valueWidth = std::max(valueWidth, trendValueWidth(QFontMetrics(painter.font(), painter.device()), trends[i]));
    for (std::size_t i = first; i < last; ++i) {
        const int slot = int(i - first);
        const QRect block(body.left() + (slot % PlotColumns) * (cellWidth + gap),
                          body.top() + titleHeight + (slot / PlotColumns) * (cellHeight + gap), cellWidth, plotHeight);
        paintTrendPlot(painter, block, trends[i], valueWidth);
    }
    painter.restore();
}

}  // namespace

QString serviceReportHtml(const ServiceReport& report)
{
    QString out;
    out += QStringLiteral("<html><body><p style=\"font-size: 16pt; font-weight: bold; margin-bottom: 2px;\">%1</p>"
                          "<p style=\"font-size: 10pt; margin-top: 0px;\">%2</p>")
               .arg(html(report.title), html(report.subtitle));
    for (const ReportTable& table : report.tables)
        appendTable(out, table);
    out += QLatin1String("</body></html>");
    return out;
}

bool paintServiceReport(const ServiceReport& report, const std::vector<TrendSeries>& trends,
                        QPagedPaintDevice& device, QString& error)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        error = QStringLiteral("cannot draw on the report's pages");
        return false;
    }
    const QRect page(0, 0, device.width(), device.height());
    const QFont body = fontOfSize(BodyPointSize);
    const int footerHeight = QFontMetrics(fontOfSize(FooterPointSize), &device).height() * 2;
    const QRect bodyArea(page.left(), page.top(), page.width(), page.height() - footerHeight);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    document.setDefaultFont(body);
    document.setDocumentMargin(0);
    document.setPageSize(QSizeF(bodyArea.width(), bodyArea.height()));
    document.setHtml(serviceReportHtml(report));

    const int textPages = std::max(1, document.pageCount());
    const int textEnd = int(document.documentLayout()->blockBoundingRect(document.lastBlock()).bottom()) -
                        (textPages - 1) * bodyArea.height();

    // The event list follows the tables on their last page when a few of its
    // rows fit there, and takes as many pages after it as it needs.
    struct ListPart {
        int page, top;
        std::size_t first, count;
    };
    std::vector<ListPart> listParts;
    const ListPages list(report.events, body, &device, bodyArea.width());
    const int spacing = QFontMetrics(body, &device).height();
    const std::size_t fitsLeft = list.rowsFitting(bodyArea.height() - textEnd - spacing);
    std::size_t placed = 0;
    if (fitsLeft >= std::min<std::size_t>(list.rowCount(), 5)) {
        placed = std::min(fitsLeft, list.rowCount());
        listParts.push_back({textPages - 1, textEnd + spacing, 0, placed});
    }
    const std::size_t perPage = std::max<std::size_t>(1, list.rowsFitting(bodyArea.height()));
    for (int page = textPages; placed < list.rowCount(); ++page) {
        const std::size_t count = std::min(perPage, list.rowCount() - placed);
        listParts.push_back({page, 0, placed, count});
        placed += count;
    }

    const int firstTrendsPage = listParts.back().page + 1;
    const int total = firstTrendsPage + int((trends.size() + PlotsPerPage - 1) / PlotsPerPage);
    auto part = listParts.begin();
    for (int p = 0; p < total; ++p) {
        if (p > 0 && !device.newPage()) {
            painter.end();
            error = QStringLiteral("cannot start page %1 of the report").arg(p + 1);
            return false;
        }
        if (p < textPages) {
            painter.save();
            const QRectF clip(0, double(p) * bodyArea.height(), bodyArea.width(), bodyArea.height());
            painter.translate(0, -clip.top());
            document.drawContents(&painter, clip);
            painter.restore();
        }
        if (part != listParts.end() && part->page == p) {
            list.paint(painter, QPoint(bodyArea.left(), bodyArea.top() + part->top), part->first, part->count);
            ++part;
        }
        if (p >= firstTrendsPage)
            paintTrendsPage(painter, bodyArea, report, trends, std::size_t(p - firstTrendsPage) * PlotsPerPage);
        paintFooter(painter, page, footerHeight, report, p + 1, total);
    }
    if (!painter.end()) {
        error = QStringLiteral("cannot finish the report's pages");
        return false;
    }
    return true;
}

namespace {

QFileDevice::Permissions privatePermissions(const QString& folder)
{
    const unsigned mode = newFileMode(folder.toStdString());
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                           | QFileDevice::WriteUser;
    if (mode & 040)
        permissions |= QFileDevice::ReadGroup;
    if (mode & 020)
        permissions |= QFileDevice::WriteGroup;
    return permissions;
}

}  // namespace

QPageLayout serviceReportPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(PageMarginMm, PageMarginMm, PageMarginMm, PageMarginMm), QPageLayout::Millimeter);
}

bool writeServiceReportPdf(const ServiceReport& report, const std::vector<TrendSeries>& trends, const QString& path,
                           QString& error)
{
    // The report holds the owner's name and address: a new one is closed to
    // the PC's other users, as the records are; one it replaces keeps its mode.
    const bool replacing = QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(PdfResolution);
        writer.setPageLayout(serviceReportPageLayout());
        writer.setTitle(QString::fromStdString(report.title + " - " + report.subtitle));
        writer.setCreator(QStringLiteral("Quorvane"));
        if (!paintServiceReport(report, trends, writer, error)) {
            file.cancelWriting();
            error = QStringLiteral("%1: %2").arg(path, error);
            return false;
        }
    }
    if (!replacing && !file.setPermissions(privatePermissions(QFileInfo(path).absolutePath()))) {
        file.cancelWriting();
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    if (!file.commit()) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
