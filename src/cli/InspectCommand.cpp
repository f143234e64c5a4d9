#include "cli/InspectCommand.h"

#include "app/LoadExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tervalo::cli {

int runInspect(CliContext& context) {
    if (context.args.size() != 1) {
        context.ui.error(QStringLiteral("usage: tervalo-cli [--app-dir DIR] inspect EXPORT"));
        return Usage;
    }
    app::AppSession& session = context.session;
    session.keepExportCells = true;
    if (!app::LoadExport(session, context.args.first(), context.ui)) {
        return Ended;
    }
    const import::CellMatrix& matrix = session.sgrCSV;
    const platform::AnsiCodec& codec = session.locale.codec();
    QJsonArray rows;
    for (int r = 0; r < matrix.rowCount(); ++r) {
        QJsonArray cells;
        for (int c = 0; c < matrix.cellCount(r); ++c) {
            cells.append(matrix.cell(r, c, codec));
        }
        rows.append(cells);
    }
    QJsonObject result;
    result.insert(QStringLiteral("separator"), session.exportSeparator
                                                   ? QJsonValue(QString(QLatin1Char(session.exportSeparator)))
                                                   : QJsonValue(QJsonValue::Null));
    result.insert(QStringLiteral("LastRow"), matrix.lastRow());
    result.insert(QStringLiteral("LastCol"), matrix.lastCol());
    result.insert(QStringLiteral("rows"), rows);
    context.out << QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Compact)) << Qt::endl;
    return Success;
}

}  // namespace tervalo::cli
