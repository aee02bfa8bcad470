#include "UiTestSupport.h"

#include "text/Sjis.h"

namespace hakomaru::test {

void ProgramFolder::writeSjis(const QString& name, const QString& utf8Text) const {
    QString text = utf8Text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace('\n', QStringLiteral("\r\n"));
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const std::string bytes = toSjis(text.toStdString());
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QString ProgramFolder::readSjis(const QString& name) const {
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromStdString(fromSjis(file.readAll().toStdString()));
}

void ProgramFolder::patchTariff(const QString& from, const QString& to) const {
    QFile file(path("Charge.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const QByteArray sjisFrom = QByteArray::fromStdString(toSjis(from.toStdString()));
    QVERIFY2(bytes.contains(sjisFrom), qPrintable(from));
    bytes.replace(sjisFrom, QByteArray::fromStdString(toSjis(to.toStdString())));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace hakomaru::test
