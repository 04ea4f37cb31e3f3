#pragma once

#include <QWidget>

class AppState;
class Prompter;
class ScoringServer;

// The scoring server's status, address and port as it reports them, and the
// station PIN with "Set" and "Show PIN" (the server window's top left).
class ServerStatusPanel : public QWidget {
    Q_OBJECT

public:
    ServerStatusPanel(ScoringServer& server, AppState& state, Prompter& prompter,
                      QWidget* parent = nullptr);
};
