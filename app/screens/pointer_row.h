// The pieces the centre screens and the synchronisation panel share: a sunken
// value display wide enough for a time, and the pointer row (pointer time,
// pointer measure and the two zoom buttons) both edit screens open with.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "client/control_tables.h"

namespace sonavex::app {

// A sunken label bound to `id` (property "midiId"), wide enough for 00:00:00:00.
QLabel* ValueLabel(const QString& name, ControlId id, QWidget* parent,
                   Qt::Alignment alignment = Qt::AlignCenter);

struct PointerRow {
  QHBoxLayout* row = nullptr;
  QLabel* time = nullptr;
  QLabel* measure = nullptr;
  QToolButton* zoom_in = nullptr;
  QToolButton* zoom_out = nullptr;
};

// Builds the row; the caller adds `row` to its layout.
PointerRow MakePointerRow(ControlId time_id, ControlId measure_id, QWidget* parent);

}  // namespace sonavex::app
