#pragma once

class QTableView;

// A table the operator reads and picks whole rows of, never edits: no row
// numbers, rows one text line high.
void setUpReadOnlyGrid(QTableView* grid);
