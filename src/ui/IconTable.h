#pragma once

#include <QColor>
#include <QQuickPaintedItem>
#include <QString>
#include <QtQml/qqml.h>

// The symbol names the views use, each mapped to a vendored Phosphor icon (the fill weight for
// ".fill" names).
namespace IconTable {
// The resource path of the icon for `symbol`; empty for a name the table does not hold.
QString iconPath(const QString& symbol);
QStringList symbols();
} // namespace IconTable

// One symbol drawn in one colour at the item's size.
class IconItem : public QQuickPaintedItem
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Icon)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
public:
    explicit IconItem(QQuickItem* parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString& name);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void nameChanged();
    void colorChanged();

private:
    void reload();

    QString m_name;
    QColor m_color = Qt::white;
    QByteArray m_svg;
};
