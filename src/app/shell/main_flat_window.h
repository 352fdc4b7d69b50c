#pragma once

#include "session.h"

#include <QMainWindow>

namespace byteloom {

// The editor's one main window. It owns the session and turns the user's commands into calls
// on it.
class MainFlatWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainFlatWindow(QWidget *parent = nullptr);

    [[nodiscard]] Session &session() { return session_; }

private:
    void BuildMenus();

    Session session_;
};

} // namespace byteloom
