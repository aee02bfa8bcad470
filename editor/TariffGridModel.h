#pragma once
// One page of the tariff as a grid model: the cells of a TariffGrid (or a
// run of its rows), the headers a person thinks in, the checker's messages
// on the cells it flags, the cells changed since the file was read or last
// saved, and edits handed to the editor window, which makes them undoable.
//
// What a person edits, not the file's layout: the zone table's columns for
// the destination list's separator rows are left out (their regions head
// the columns below them instead), and option entries gain a last column
// saying what each prices.
#include "tools/TariffEdit.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace hakomaru {

// A heading over consecutive sections of a header.
struct HeaderGroup {
    int first = 0, count = 0;
    QString name;
};

class TariffGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Applies an edit; returns why the value does not fit, or an empty text.
    using Editor = std::function<QString(const TariffAddress&, const QString&)>;

    // `saved`: the file as read or last saved, whose values the changed
    // cells are marked against.
    TariffGridModel(const TariffDocument& document, const TariffDocument& saved, std::size_t grid,
                    Editor editor, QObject* parent = nullptr);

    std::size_t grid() const { return grid_; }
    // The field a cell shows; nothing for a cell that shows no field (the
    // notes) or one outside the model.
    std::optional<TariffAddress> addressAt(int row, int column) const;
    // The cell that shows a field; invalid when the page does not.
    QModelIndex indexOf(const TariffAddress& at) const;
    // The headings over the rows or the columns, by section.
    std::vector<HeaderGroup> groups(Qt::Orientation orientation) const;
    // What the rows and the columns stand for ("発送地", "届け先"), for the
    // table's corner; empty where the headers say it themselves.
    QString axis(Qt::Orientation orientation) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The checker's problems on the cells they name: by the grid's (row,
    // column), the indexes of its problems in `problems`, which must stay
    // until the next call. Every cell shown anew.
    using ProblemMarks = std::map<std::pair<std::size_t, std::size_t>, std::vector<std::size_t>>;
    void setProblems(const std::vector<TariffProblem>& problems, ProblemMarks marks);
    std::size_t problemCount() const { return problems_.size(); }
    // The first flagged cell after (or, not `forward`, before) the cell at
    // `row`, `column` in reading order (a row of -1 is before the first,
    // rowCount() after the last); invalid when there is none.
    QModelIndex problemFrom(int row, int column, bool forward) const;
    // The checker's problems on a cell, one a line: its message, after the
    // place it names in table words where that is not the cell itself (a
    // zone without its fee row: "ゆうパック 第Z地帯: …"); empty when it has
    // none.
    QStringList problemLines(const QModelIndex& index) const;
    // The document changed: every cell shown anew.
    void refresh();

  private:
    const TariffGrid& table() const { return document_.grids()[grid_]; }
    bool isNoteColumn(int column) const;

    bool changed(const TariffAddress& at) const;

    const TariffDocument& document_;
    const TariffDocument& saved_;
    std::size_t grid_;
    Editor editor_;
    std::vector<std::size_t> columns_; // the grid's columns a person edits, in order
    const std::vector<TariffProblem>* checked_ = nullptr;
    ProblemMarks problems_;
};

} // namespace hakomaru
