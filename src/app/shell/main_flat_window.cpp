#include "shell/main_flat_window.h"

#include "common/command_ids.h"
#include "common/product.h"
#include "dialogs/work_progress.h"
#include "session/editing.h"
#include "session/lifecycle_texts.h"
#include "settings/preferences.h"
#include "settings/preferences_sheet.h"
#include "settings/settings_io.h"
#include "shell/about_dialog.h"
#include "shell/artwork.h"
#include "shell/command_table.h"
#include "shell/edit_commands.h"
#include "shell/find_commands.h"
#include "shell/inspect_commands.h"
#include "shell/manual_window.h"
#include "shell/pointer_commands.h"
#include "shell/qt_prompts.h"
#include "shell/script_commands.h"
#include "view/data_inspector_panel.h"
#include "view/data_window.h"
#include "view/text_mode.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

namespace byteloom {

namespace {

QString Text(const char *text)
{
    return QString::fromUtf8(text);
}

// The status bar's parts: messages, the selection, the size, the caret's offset, insert or
// overwrite.
constexpr int kMessagePart = 0;
constexpr int kSelectionPart = 1;
constexpr int kSizePart = 2;
constexpr int kOffsetPart = 3;
constexpr int kModePart = 4;
constexpr const char *kManual = ":/manual/welcome.html";

// The message part: what does not fit ends in "...", and the whole text is its tooltip.
class MessagePart : public QLabel
{
public:
    using QLabel::QLabel;

    void Show(const QString &message)
    {
        message_ = message;
        setToolTip(message);
        Elide();
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        Elide();
    }

private:
    void Elide()
    {
        setText(fontMetrics().elidedText(message_, Qt::ElideRight, contentsRect().width()));
    }

    QString message_;
};

// Alt pressed and released on its own would put the menu bar into keyboard navigation, which
// the desktop style draws as nothing at all: digits and arrows then go to a menu bar that shows
// no sign of having them, and the view seems to have stopped taking keys. The menus stay one
// Alt+letter away.
class MenuBarWithoutAltNavigation : public QProxyStyle
{
public:
    int styleHint(StyleHint hint,
                  const QStyleOption *option,
                  const QWidget *widget,
                  QStyleHintReturn *answer) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

} // namespace

MainFlatWindow::MainFlatWindow(std::unique_ptr<UserPrompts> prompts, QWidget *parent)
    : QMainWindow(parent)
    , prompts_(prompts ? std::move(prompts) : std::make_unique<QtPrompts>(this))
    , lifecycle_(session_, *prompts_)
{
    setWindowIcon(ApplicationIcon());
    setAcceptDrops(true);
    dataWindow_ = new DataWindow(session_, this);
    setCentralWidget(dataWindow_);
    BuildMenus();
    BuildToolbar();
    BuildStatusBar();
    connect(dataWindow_, &DataWindow::CaretOffsetChanged, this, [this](const QString &offset) {
        statusParts_[kOffsetPart]->setText(offset);
        ShowSelection();
    });
    connect(
        dataWindow_, &DataWindow::SelectionChanged, this, &MainFlatWindow::SelectionCommandsFollow);
    connect(dataWindow_, &DataWindow::Edited, this, &MainFlatWindow::NoteEdited);
    connect(dataWindow_, &DataWindow::OverwriteChanged, this, &MainFlatWindow::DocumentChanged);
    connect(dataWindow_, &DataWindow::CommandRequested, this, &MainFlatWindow::RunCommand);
    connect(dataWindow_, &DataWindow::StatusMessage, this, &MainFlatWindow::ShowStatusMessage);
    connect(dataWindow_, &DataWindow::EditFailed, this, [this](const QString &reason) {
        prompts_->ShowMessage(reason.toStdString(), MessageKind::Error);
    });
    inspector_ = new DataInspectorPanel(
        session_,
        *dataWindow_,
        [this](const std::string &message) {
            prompts_->ShowMessage(message, MessageKind::Warning);
        },
        this);
    addDockWidget(Qt::RightDockWidgetArea, inspector_);
    inspector_->hide();
    // The inspector follows the caret and every change to the bytes.
    connect(dataWindow_, &DataWindow::CaretOffsetChanged, inspector_, [this] {
        if (inspector_->isVisible())
            inspector_->Refresh();
    });
    connect(inspector_, &DataInspectorPanel::Edited, this, &MainFlatWindow::NoteEdited);
    connect(inspector_, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        Action(kCmdDataBox)->setChecked(visible);
        // The panel hides with the window too; only the user's choice is remembered.
        if (isVisible())
            session_.options().showDataInspector = visible;
        if (visible)
            inspector_->Refresh();
    });
    // The edit popup's items are enabled as their menu entries are.
    dataWindow_->SetCommandEnabled([this](int command) {
        const QAction *action = Action(command);
        return action && action->isEnabled();
    });
    statusMessageTimer_.setSingleShot(true);
    statusMessageTimer_.setInterval(5000);
    connect(&statusMessageTimer_, &QTimer::timeout, this, [this] {
        static_cast<MessagePart *>(statusParts_[kMessagePart])->Show({});
    });
    connect(dataWindow_, &DataWindow::TableStepped, this, [this] {
        lifecycle_.NoteTableChanged();
        DocumentChanged();
    });
    RegisterHandlers();
    RegisterEditHandlers();
    editCommands_ = std::make_unique<EditCommands>(*this);
    findCommands_ = std::make_unique<FindCommands>(*this);
    scriptCommands_ = std::make_unique<ScriptCommands>(*this);
    pointerCommands_ = std::make_unique<PointerCommands>(*this);
    inspectCommands_ = std::make_unique<InspectCommands>(*this);
    ApplyMenuState(NoDocumentMenuState());
    SizeForWholeRows();
    DocumentChanged();

    // Paste follows the clipboard as it changes, in this program or another.
    connect(QApplication::clipboard(),
            &QClipboard::dataChanged,
            this,
            &MainFlatWindow::UpdatePasteAvailability);
}

MainFlatWindow::~MainFlatWindow()
{
    // The panel hides as the window goes, after this window's own members are gone.
    disconnect(inspector_, nullptr, this, nullptr);
}

QAction *MainFlatWindow::Action(int command) const
{
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void MainFlatWindow::BuildMenus()
{
    auto *menuStyle = new MenuBarWithoutAltNavigation;
    menuStyle->setParent(menuBar());
    menuBar()->setStyle(menuStyle);
    for (const MenuDefinition &definition : MainMenus()) {
        QMenu *menu = menuBar()->addMenu(Text(definition.title));
        if (!fileMenu_)
            fileMenu_ = menu;
        else if (!editMenu_)
            editMenu_ = menu;
        std::vector<QMenu *> open{menu};
        for (const MenuLine &line : definition.lines) {
            QMenu *current = open.back();
            switch (line.kind) {
            case MenuLine::Separator:
                current->addSeparator();
                break;
            case MenuLine::Submenu:
                open.push_back(current->addMenu(Text(line.text)));
                break;
            case MenuLine::EndSubmenu:
                open.pop_back();
                break;
            case MenuLine::Item: {
                QAction *action = current->addAction(Text(line.text));
                action->setCheckable(line.checkable);
                if (line.keys) {
                    action->setShortcut(QKeySequence(Text(line.keys)));
                    action->setShortcutContext(Qt::WindowShortcut);
                }
                if (line.command != 0) {
                    actions_[line.command] = action;
                    const int command = line.command;
                    connect(action, &QAction::triggered, this, [this, command] {
                        RunCommand(command);
                    });
                }
                break;
            }
            }
        }
    }
    // Ctrl+H has an accelerator but no menu entry and does nothing.
    auto *ctrlH = new QAction(this);
    ctrlH->setShortcut(QKeySequence(QStringLiteral("Ctrl+H")));
    addAction(ctrlH);
    actions_[kCmdCtrlH] = ctrlH;
    // F1 opens the manual, as Help > Contents does.
    auto *f1 = new QAction(this);
    f1->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(f1);
    connect(f1, &QAction::triggered, this, [this] { RunCommand(kCmdContents); });

    // The code pages this system offers, after the last item of Text Codepage.
    QMenu *codePageMenu
        = Action(kCmdUnicodeBigEndian)->associatedObjects().isEmpty()
              ? nullptr
              : qobject_cast<QMenu *>(Action(kCmdUnicodeBigEndian)->associatedObjects().first());
    const auto &entries = session_.codePages().Entries();
    for (std::size_t i = 0; i < entries.size() && codePageMenu; ++i) {
        const int command = kCmdFirstCodePage + static_cast<int>(i);
        QAction *action = codePageMenu->addAction(QString::fromStdString(entries[i].name));
        action->setCheckable(true);
        actions_[command] = action;
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
        Handle(command, [this, command] { SetTextMode(command); });
    }

    // The text modes exclude one another: they show as a choice of one.
    auto *textModes = new QActionGroup(this);
    for (const int command : TextModeCommands())
        textModes->addAction(Action(command));

    for (const int command : InitiallyGreyedCommands())
        Action(command)->setEnabled(false);
    Action(kCmdStatusBar)->setChecked(true);
    Action(kCmdToolbar)->setChecked(true);
    Action(kCmdCodePageDefault)->setChecked(true);
    // The files opened last, under Open.
    recentMenu_ = new QMenu(QStringLiteral("Open &Recent"), this);
    fileMenu_->insertMenu(Action(kCmdClose), recentMenu_);
}

void MainFlatWindow::BuildToolbar()
{
    toolbar_ = addToolBar(QStringLiteral("Toolbar"));
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(16, 16));
    for (const ToolbarButton &button : ToolbarButtons()) {
        if (button.command == 0) {
            toolbar_->addSeparator();
            continue;
        }
        QAction *action = toolbar_->addAction(ToolbarImage(button.image), Text(button.tooltip));
        action->setToolTip(Text(button.tooltip));
        const int command = button.command;
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
        // A button is enabled exactly when its menu entry is.
        QAction *entry = Action(command);
        action->setEnabled(entry->isEnabled());
        connect(entry, &QAction::enabledChanged, action, &QAction::setEnabled);
    }
}

void MainFlatWindow::BuildStatusBar()
{
    const QFontMetrics metrics = statusBar()->fontMetrics();
    for (std::size_t part = 0; part < statusParts_.size(); ++part) {
        QLabel *label = part == kMessagePart ? new MessagePart(this) : new QLabel(this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        statusParts_[part] = label;
        // The message takes the room the others leave it, however long it is.
        if (part == kMessagePart)
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        statusBar()->addWidget(label, part == kMessagePart ? 1 : 0);
    }
    // Room for the usual texts, so that the parts do not move as the caret does.
    statusParts_[kSizePart]->setMinimumWidth(
        metrics.horizontalAdvance(QStringLiteral("Size: 00000000 (1023.5 MiB)")) + 8);
    statusParts_[kOffsetPart]->setMinimumWidth(
        metrics.horizontalAdvance(QStringLiteral("Offset: 00000000 ")) + 8);
    statusParts_[kModePart]->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("OVR")) + 8);
    statusParts_[kSelectionPart]->hide();
    statusBar()->setSizeGripEnabled(true);
}

void MainFlatWindow::ShowSelection()
{
    const std::string text = session_.document().IsOpen()
                                 ? SelectionStatusText(SelectedSpan(dataWindow_->selection()),
                                                       session_.display(),
                                                       session_.document().Size())
                                 : std::string();
    statusParts_[kSelectionPart]->setText(QString::fromStdString(text));
    statusParts_[kSelectionPart]->setVisible(!text.empty());
}

void MainFlatWindow::Handle(int command, std::function<void()> handler)
{
    handlers_[command] = std::move(handler);
}

void MainFlatWindow::RegisterHandlers()
{
    Handle(kCmdNew, [this] { lifecycle_.NewDocument(); });
    Handle(kCmdOpen, [this] { lifecycle_.OpenWithDialog(); });
    Handle(kCmdClose, [this] { lifecycle_.CloseDocument(); });
    Handle(kCmdSave, [this] { lifecycle_.SaveDocument(); });
    Handle(kCmdSaveAs, [this] {
        WorkProgress progress(this, QStringLiteral("Saving..."));
        lifecycle_.SaveDocumentAs(progress.Callback());
    });
    Handle(kCmdExit, [this] { close(); });
    Handle(kCmdDataBox, [this] { inspector_->setVisible(!inspector_->isVisible()); });
    Handle(kCmdStatusBar, [this] {
        statusBar()->setVisible(!statusBar()->isVisible());
        Action(kCmdStatusBar)->setChecked(statusBar()->isVisible());
    });
    Handle(kCmdToolbar, [this] {
        toolbar_->setVisible(!toolbar_->isVisible());
        Action(kCmdToolbar)->setChecked(toolbar_->isVisible());
    });
    for (const int command :
         {int{kCmdCodePageDefault}, int{kCmdUnicode}, int{kCmdUnicodeBigEndian}})
        Handle(command, [this, command] { SetTextMode(command); });
    Handle(kCmdBigEndian, [this] {
        session_.display().bigEndian = !session_.display().bigEndian;
        Action(kCmdBigEndian)->setChecked(session_.display().bigEndian);
    });
    Handle(kCmdAbout, [this] { ShowAbout(); });
    Handle(kCmdPreferences, [this] { ShowPreferences(); });
    Handle(kCmdContents, [this] { ShowContents(); });
    Handle(kCmdHelpSearch, [this] {
        if (ManualWindow *manual = ShowContents())
            manual->FocusSearch();
    });
    Handle(kCmdHelpIndex, [this] {
        if (ManualWindow *manual = ShowContents())
            manual->FocusContents();
    });
    Handle(kCmdHelpLinks, [this] {
        prompts_->ShowMessage(
            "Byteloom has no web pages of its own yet. Its manual is inside the program: Help > "
            "Contents (F1), with a search; \"byteloom-cli --help\" describes the command line.");
    });
    for (int i = 0; i < static_cast<int>(ProgramOptions::kMaxRecentFiles); ++i) {
        Handle(kCmdFirstRecentFile + i, [this, i] {
            const auto &recent = session_.options().recentFiles;
            if (static_cast<std::size_t>(i) < recent.size())
                lifecycle_.OpenAfterPrompt(recent[static_cast<std::size_t>(i)]);
        });
    }
}

void MainFlatWindow::RunCommand(int command)
{
    // Text typed into the table entry box is written before anything else happens.
    dataWindow_->CommitEntryBox();
    // A command with no handler does nothing.
    if (const auto handler = handlers_.find(command); handler != handlers_.end())
        handler->second();
    DocumentChanged();
}

void MainFlatWindow::TableEdited()
{
    lifecycle_.NoteTableChanged();
    shownFonts_ = {}; // the same table, perhaps in another code page and font
    DocumentChanged();
}

void MainFlatWindow::NoteEdited()
{
    lifecycle_.NoteEdited();
    DocumentChanged();
}

void MainFlatWindow::ApplyMenuState(std::span<const MenuChange> state)
{
    for (const MenuChange &change : state) {
        if (QAction *action = Action(change.command))
            action->setEnabled(change.enabled);
    }
}

// Brings the title, menus, status bar and view in step with the document after any command.
void MainFlatWindow::DocumentChanged()
{
    setWindowTitle(QString::fromStdString(lifecycle_.Title()));
    if (const std::string notice = lifecycle_.TakeCompanionNotice(); !notice.empty())
        ShowStatusMessage(QString::fromStdString(notice));
    Document &document = session_.document();
    if (session_.DocumentGeneration() != shownDocument_) {
        // Another document: the caret starts on its first byte, no selection carries over,
        // and the selection's commands grey.
        shownDocument_ = session_.DocumentGeneration();
        ResetCaret(dataWindow_->caret());
        ApplyMenuState(SelectionDroppedMenuState());
    }
    if (document.IsOpen()) {
        if (!Action(kCmdClose)->isEnabled()) {
            ApplyMenuState(DocumentOpenMenuState());
            UpdatePasteAvailability();
        }
        const bool hasTable = session_.tables().Current() != nullptr;
        Action(kCmdDumpScript)->setEnabled(hasTable);
        Action(kCmdEditTable)->setEnabled(hasTable);
        Action(kCmdBack)->setEnabled(!session_.pointers().back.empty());
        Action(kCmdDumpSelected)->setEnabled(hasTable && dataWindow_->selection().active);
        statusParts_[kSizePart]->setText(QString::fromStdString(SizeStatusText(document.Size())));
        // A paged document can only be overwritten.
        const bool overwrite = document.IsPaged() || dataWindow_->caret().overwrite;
        statusParts_[kModePart]->setText(overwrite ? QStringLiteral("OVR") : QStringLiteral("INS"));
    } else {
        if (Action(kCmdClose)->isEnabled())
            ApplyMenuState(NoDocumentMenuState());
        statusParts_[kSizePart]->clear();
        statusParts_[kModePart]->clear();
    }
    ShowSelection();
    const DisplaySettings &display = session_.display();
    const int checked = CheckedTextModeCommand(display, session_.codePages());
    for (const int command : TextModeCommands())
        Action(command)->setChecked(command == checked);
    Action(kCmdBigEndian)->setChecked(display.bigEndian);
    const UndoJournal &journal = session_.journal();
    Action(kCmdUndo)->setEnabled(document.IsOpen() && journal.CanUndo());
    Action(kCmdRedo)->setEnabled(document.IsOpen() && journal.CanRedo());
    RefreshRecentFiles();
    RefreshBookmarks();
    // Another table (or none), or another text mode, changes the text column's font and the
    // row height.
    const FontChoice fonts{session_.tables().Current(), display.unicodeText, checked};
    if (fonts != shownFonts_) {
        shownFonts_ = fonts;
        dataWindow_->SettingsChanged();
    } else {
        dataWindow_->DocumentChanged();
    }
    // The bytes, the table or the text mode the inspector reads may have changed.
    if (inspector_->isVisible())
        inspector_->Refresh();
    if (inspectCommands_)
        inspectCommands_->DocumentChanged();
}

std::vector<int> MainFlatWindow::TextModeCommands()
{
    std::vector<int> commands{kCmdCodePageDefault, kCmdUnicode, kCmdUnicodeBigEndian};
    for (std::size_t i = 0; i < session_.codePages().Entries().size(); ++i)
        commands.push_back(kCmdFirstCodePage + static_cast<int>(i));
    return commands;
}

void MainFlatWindow::RefreshRecentFiles()
{
    const auto &recent = session_.options().recentFiles;
    for (int i = 0; i < static_cast<int>(ProgramOptions::kMaxRecentFiles); ++i) {
        const int command = kCmdFirstRecentFile + i;
        QAction *action = Action(command);
        if (!action) {
            action = recentMenu_->addAction(QString());
            actions_[command] = action;
            connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
        }
        const auto index = static_cast<std::size_t>(i);
        action->setVisible(index < recent.size());
        recentMenu_->menuAction()->setEnabled(!recent.empty());
        if (index < recent.size())
            action->setText(
                QStringLiteral("&%1 %2").arg(i + 1).arg(QString::fromStdString(recent[index])));
    }
}

void MainFlatWindow::SetTextMode(int command)
{
    if (!ApplyTextModeCommand(session_.display(), session_.codePages(), command).empty())
        lifecycle_.NoteTextModeChanged();
}

void MainFlatWindow::UpdatePasteAvailability()
{
    if (!session_.document().IsOpen())
        return;
    const QMimeData *clipboard = QApplication::clipboard()->mimeData();
    const bool pastable
        = clipboard
          && (clipboard->hasFormat(QString::fromLatin1(kByteloomMimeType)) || clipboard->hasText());
    Action(kCmdPaste)->setEnabled(pastable);
}

void MainFlatWindow::StoreSettings()
{
    if (!settingsStore_)
        return;
    // One message for all that could not be written, not one a value.
    std::string message;
    for (const std::string &failure : SaveSettings(*settingsStore_, session_.Settings()))
        message += (message.empty() ? "" : "\n") + failure;
    if (!message.empty())
        prompts_->ShowMessage(message, MessageKind::Error);
}

void MainFlatWindow::ShowPreferences()
{
    PreferencesCopy copy
        = TakePreferences(session_.display(), session_.codePages(), session_.options());
    PreferencesSheet sheet(copy, CodePageFontItems(session_.codePages()), this);
    if (sheet.exec() != QDialog::Accepted)
        return;
    ApplyPreferences(copy, session_.display(), session_.codePages(), session_.options());
    // Colours, grouping and fonts at once; kept now, so that a crash does not lose them.
    dataWindow_->SettingsChanged();
    StoreSettings();
}

void MainFlatWindow::ShowStatusMessage(const QString &text)
{
    static_cast<MessagePart *>(statusParts_[kMessagePart])->Show(text);
    statusMessageTimer_.start();
}

void MainFlatWindow::ShowAbout()
{
    AboutDialog about(this);
    about.exec();
}

ManualWindow *MainFlatWindow::ShowContents()
{
    // Without its manual the editor says nothing, as before.
    if (!QFile::exists(QString::fromLatin1(kManual)))
        return nullptr;
    if (!helpWindow_) {
        helpWindow_ = new ManualWindow(QUrl(QStringLiteral("qrc") + QString::fromLatin1(kManual)));
        helpWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
    return helpWindow_;
}

void MainFlatWindow::OpenStartupFile(const std::string &path)
{
    if (!path.empty())
        lifecycle_.OpenByPath(path);
    DocumentChanged();
}

void MainFlatWindow::UseSettingsStore(SettingsStore *store, const Status &read)
{
    if (!read.ok())
        prompts_->ShowMessage(read.message(), MessageKind::Error);
    settingsStore_ = store;
    if (settingsStore_) {
        LoadSettings(*settingsStore_, session_.Settings());
        lifecycle_.NoteSettingsLoaded();
        inspector_->setVisible(session_.options().showDataInspector);
        PlaceWindow();
    }
    dataWindow_->SettingsChanged(); // faces, size and grouping from the settings
    DocumentChanged();
}

void MainFlatWindow::closeEvent(QCloseEvent *event)
{
    if (!lifecycle_.ExitApplication()) {
        event->ignore();
        DocumentChanged();
        return;
    }
    const QRect place = normalGeometry();
    session_.options().window = {place.x(), place.y(), place.width(), place.height()};
    StoreSettings();
    event->accept();
}

// Where the window stood when it was last closed, when that place is still on a screen.
void MainFlatWindow::SizeForWholeRows()
{
    // Wide enough for a whole row in the widest grouping, one byte a group; within the screen,
    // whatever its size and scale.
    QSize size(std::max(900, dataWindow_->WholeRowWidth() + 24), 640);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    resize(size);
}

void MainFlatWindow::PlaceWindow()
{
    const ProgramOptions::WindowPlace &place = session_.options().window;
    if (place.width <= 0) {
        SizeForWholeRows(); // in the fonts the settings chose
        return;
    }
    // The place was kept at another scale, or on a larger screen: the window comes back whole.
    const QSize least = minimumSizeHint();
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect available = screen->availableGeometry();
        if (const auto fitted
            = FitWindowPlace(place,
                             {available.x(), available.y(), available.width(), available.height()},
                             least.width(),
                             least.height())) {
            setGeometry(fitted->left, fitted->top, fitted->width, fitted->height);
            return;
        }
    }
}

void MainFlatWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainFlatWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    // Only the first file is taken.
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    const std::string path = urls.first().toLocalFile().toStdString();
    // A table dropped on an open document is loaded as its table, not opened in its place.
    if (session_.document().IsOpen() && IsTableFileName(path)) {
        if (lifecycle_.OpenTableByPath(path))
            ShowStatusMessage(QString::fromStdString(lifecycle_.TableSummary()));
    } else
        lifecycle_.OpenAfterPrompt(path);
    DocumentChanged();
}

void MainFlatWindow::OpenStartupFiles(const StartupFiles &files, std::optional<std::int64_t> offset)
{
    if (!files.document.empty())
        OpenStartupFile(files.document);
    if (!files.tables.empty() && !session_.document().IsOpen())
        lifecycle_.NewDocument();
    for (const std::string &table : files.tables) {
        if (lifecycle_.OpenTableByPath(table))
            ShowStatusMessage(QString::fromStdString(lifecycle_.TableSummary()));
    }
    DocumentChanged();
    if (offset)
        JumpTo(*offset);
}

} // namespace byteloom
