#pragma once
// One table of the tariff as a grid model: the cells of a TariffGrid, the
// headers a person thinks in, the checker's messages on the cells it
// flags, and edits handed to the editor window, which makes them undoable.
#include "TariffEdit.h"

#include <QAbstractTableModel>

#include <functional>
#include <map>
#include <utility>

namespace hakomaru {

class TariffGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Applies an edit; returns why the value does not fit, or an empty text.
    using Editor = std::function<QString(const TariffAddress&, const QString&)>;

    TariffGridModel(const TariffDocument& document, std::size_t grid, Editor editor,
                    QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The checker's messages by (row, column); every cell shown anew.
    void setProblems(std::map<std::pair<int, int>, QString> problems);
    // The document changed: every cell shown anew.
    void refresh();

  private:
    const TariffGrid& grid() const { return document_.grids()[grid_]; }

    const TariffDocument& document_;
    std::size_t grid_;
    Editor editor_;
    std::map<std::pair<int, int>, QString> problems_;
};

} // namespace hakomaru
