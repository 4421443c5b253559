#include "window/FrmGoalvanta.h"

#include "components/FileDropTarget.h"
#include "components/TvAbout.h"
#include "components/TvActns.h"
#include "components/TvListView.h"
#include "game/GameTables.h"
#include "instance/SingleInstance.h"
#include "savedata/PathBytes.h"
#include "window/GameModels.h"
#include "window/SaveFolder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

namespace goalvanta {

namespace {

constexpr int SlotCount = 10;
constexpr int PlayersPage = 0;
constexpr int ShopPage = 1;
const char* const FileFilter = "*.txt (*.txt)";
const char* const ProductName = "Goalvanta";
const char* const ProductVersion = "1.00";

void AddColumn(TTvListColumnInfos& infos, const char* caption, int width, TAlignment alignment) {
    TTvListColumnInfo& info = infos.Add();
    info.Caption = caption;
    info.Width = width;
    info.Alignment = alignment;
}

TTvListView* MakeListView(QWidget* parent, TTvListModel* model, const char* name) {
    auto* view = new TTvListView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    return view;
}

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

// Paths are carried as the file system's bytes, which need not be valid text;
// they are decoded only to be shown, and dialogs' choices are encoded back.
QString Shown(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(PathFromBytes(path), error);
}

std::string AbsoluteFolder(const std::string& folder) {
    std::error_code error;
    std::string absolute =
        BytesOfPath(std::filesystem::absolute(PathFromBytes(folder), error).lexically_normal());
    while (absolute.size() > 1 && absolute.back() == '/')
        absolute.pop_back();
    return absolute + "/";
}

// Far more than anyone hands over while one message box is open; beyond it a
// second start is told its path was not taken.
constexpr std::size_t MaxPendingHandOvers = 64;

// The widest of the texts in `view`'s font, with room for the cell's margins.
int TextWidth(const QWidget& view, std::initializer_list<const TStringTable*> tables,
              std::initializer_list<const char*> more = {}) {
    const QFontMetrics metrics = view.fontMetrics();
    int widest = 0;
    for (const TStringTable* table : tables)
        for (const std::string& text : *table)
            widest = std::max(widest, metrics.horizontalAdvance(FromStd(text)));
    for (const char* text : more)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromLatin1(text)));
    return widest + 2 * view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 8;
}

// Showing another page makes the tab control's layouts report a change upwards:
// the tab control then lays itself out again and repaints all of itself, its
// frame and the window under it included, although nothing but the page moved.
// This filter lets such a request through only when something the tab control's
// layout depends on differs from the last request it let through; any event that
// lays the control out directly makes the next request pass. A request it holds
// back repaints the band of the tab bar, where a style may draw the frame's side of
// the current tab.
class TSteadyTabLayout final : public QObject {
public:
    explicit TSteadyTabLayout(QTabWidget* tabs)
        : QObject(tabs), FTabs(tabs), FStack(tabs->findChild<QStackedWidget*>()) {
        tabs->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != FTabs)
            return false;
        switch (event->type()) {
        case QEvent::LayoutRequest: {
            const TInputs now = Inputs();
            if (FLast && *FLast == now) {
                const int band =
                    FTabs->style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, FTabs) +
                    FTabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, FTabs);
                FTabs->update(FTabs->tabBar()->geometry().adjusted(-band, -band, band, band) &
                              FTabs->rect());
                return true;
            }
            FLast = now;
            return false;
        }
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::StyleChange:
        case QEvent::FontChange:
        case QEvent::LayoutDirectionChange:
        case QEvent::ChildAdded:
        case QEvent::ChildRemoved:
            FLast.reset();
            return false;
        default:
            return false;
        }
    }

private:
    // What the tab control's own layout and its size hints are made of.
    struct TInputs {
        QSize Size;
        bool TabBarShown = false;
        QSize TabBarHint, TabBarMinimum;
        QSize StackHint, StackMinimum, StackMaximum;
        QSize CornerHints[2];
        bool operator==(const TInputs&) const = default;
    };

    TInputs Inputs() const {
        TInputs inputs;
        inputs.Size = FTabs->size();
        inputs.TabBarShown = FTabs->tabBar()->isVisibleTo(FTabs);
        inputs.TabBarHint = FTabs->tabBar()->sizeHint();
        inputs.TabBarMinimum = FTabs->tabBar()->minimumSizeHint();
        if (FStack != nullptr) {
            inputs.StackHint = FStack->sizeHint();
            inputs.StackMinimum = FStack->minimumSizeHint();
            inputs.StackMaximum = FStack->maximumSize();
        }
        const Qt::Corner corners[] = {Qt::TopLeftCorner, Qt::TopRightCorner};
        for (std::size_t i = 0; i < std::size(corners); ++i)
            if (const QWidget* corner = FTabs->cornerWidget(corners[i]);
                corner != nullptr && corner->isVisibleTo(FTabs))
                inputs.CornerHints[i] = corner->sizeHint();
        return inputs;
    }

    QTabWidget* FTabs;
    QStackedWidget* FStack;
    std::optional<TInputs> FLast;
};

} // namespace

TFormGoalvanta::TFormGoalvanta(const QString& saveFolder, IPrompts* prompts, QWidget* parent)
    : QMainWindow(parent),
      FSaveFolder(saveFolder.isEmpty() ? DefaultSaveFolder() : AbsoluteFolder(Native(saveFolder))),
      FOwnPrompts(prompts ? nullptr : std::make_unique<TDialogPrompts>(this)),
      FPrompts(prompts ? prompts : FOwnPrompts.get()), FGame(*this, FStorage) {
    setObjectName("FormGoalvanta");
    setWindowTitle(QString::fromLatin1(ProductName));

    AddColumn(FTvColumnInfos1.ColumnInfos(), "vs Result", 100, TAlignment::Left);
    AddColumn(FTvColumnInfos1.ColumnInfos(), "Soccer Point", 100, TAlignment::Right);
    AddColumn(FTvColumnInfos2.ColumnInfos(), "Item", 180, TAlignment::Left);
    AddColumn(FTvColumnInfos2.ColumnInfos(), "Price", 100, TAlignment::Right);

    CreateLayout();
    CreateActions();
    CreateMenus();
    UpdateActions();

    // A save file dropped anywhere on the window replaces the game, no questions.
    auto* drop = new TFileDropTarget(this);
    drop->SetWinControl(this);
    drop->OnFileDrop = [this](TFileDropTarget& target, TDragContext&) {
        if (!target.DroppedFiles().isEmpty())
            RunCommand([&] { LoadGameFile(Native(target.DroppedFiles().first())); });
    };
}

TFormGoalvanta::~TFormGoalvanta() = default;

QString TFormGoalvanta::SaveFolder() const {
    return Shown(FSaveFolder);
}

QString TFormGoalvanta::CurrentFileName() const {
    return Shown(FCurrentFileName);
}

QString TFormGoalvanta::SlotFileName(int slot) {
    return QString::asprintf("%.2dsavedata.sav", slot);
}

// --- Building the window -----------------------------------------------------------

void TFormGoalvanta::CreateLayout() {
    FSplitter = new QSplitter(Qt::Horizontal, this);
    FSplitter->setHandleWidth(6);
    FSplitter->setChildrenCollapsible(false);
    setCentralWidget(FSplitter);

    // Left: the main player's values, the weight and the two settings.
    auto* left = new QWidget(FSplitter);
    left->setObjectName("Panel2");
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    FMainPlayerModel = new TMainPlayerModel(this);
    FMainPlayerModel->SetColumns(
        {TTvListColumn{TAlignment::Left, false, "Name", -1, 0, 0, 100, 0},
         TTvListColumn{TAlignment::Right, false, "Value", -1, 0, 0, 180, 1}});
    FMainPlayer = MakeListView(left, FMainPlayerModel, "BLVMainPlayer");
    FMainPlayer->setSelectionMode(QAbstractItemView::SingleSelection);
    FMainPlayer->setFixedHeight(161);
    // The design widths suit the game's texts in a small font; a larger font gets
    // wider columns (and a wider panel) rather than cut-off names.
    const TGameTables& tables = GameTables();
    const int valueWidth =
        std::max(180, TextWidth(*FMainPlayer, {&tables.ShoesNames, &tables.SponsorNames},
                                {"2,000,000,001 / 2,000,000,001"}));
    FMainPlayer->header()->resizeSection(0, 100);
    FMainPlayer->header()->resizeSection(1, valueWidth);
    const int panelWidth = std::max(313, 100 + valueWidth + 2 * FMainPlayer->frameWidth() + 4);
    FMainPlayer->setAccessibleName(tr("Main player"));
    leftLayout->addWidget(FMainPlayer);

    auto* weightRow = new QHBoxLayout;
    weightRow->setContentsMargins(8, 4, 8, 0);
    auto* weightLabel = new QLabel(tr("Weight"), left);
    weightLabel->setObjectName("LabelWeight");
    FComboBoxWeight = new QComboBox(left);
    FComboBoxWeight->setObjectName("ComboBoxWeight");
    FComboBoxWeight->setMaxVisibleItems(14);
    FComboBoxWeight->setFixedWidth(217);
    FComboBoxWeight->setAccessibleName(tr("Weight"));
    weightLabel->setBuddy(FComboBoxWeight);
    weightRow->addWidget(weightLabel);
    weightRow->addWidget(FComboBoxWeight);
    weightRow->addStretch();
    leftLayout->addLayout(weightRow);

    FCheckBoxAutoRest = new QCheckBox(tr("AutoRest"), left);
    FCheckBoxAutoRest->setObjectName("CheckBoxAutoRest");
    FCheckBoxSelfJudging = new QCheckBox(tr("SelfJudging"), left);
    FCheckBoxSelfJudging->setObjectName("CheckBoxSelfJudging");
    for (QCheckBox* box : {FCheckBoxAutoRest, FCheckBoxSelfJudging}) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(8, 0, 8, 0);
        row->addWidget(box);
        leftLayout->addLayout(row);
    }
    leftLayout->addStretch();

    // Right: the tabs.
    FPageControl = new QTabWidget(FSplitter);
    FPageControl->setObjectName("PageControl1");
    FRosterModel = new TRosterModel(FGame, this);
    FPlayers = MakeListView(FPageControl, FRosterModel, "BLVPlayers");
    FPlayers->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FPlayers->setUniformRowHeights(true);
    FPlayers->SetColumnInfos(&FTvColumnInfos1);
    FPlayers->SortState().SortColumnIndex = TGame::PointsColumn;
    FPlayers->SortState().SortDown = true;
    FPlayers->SetHeaderClickable(true);
    FPlayers->ApplyColumnInfos();
    FPlayers->setAccessibleName(tr("Opponents"));
    FPageControl->addTab(FPlayers, tr("Players"));

    FShopModel = new TShopModel(this);
    FShop = MakeListView(FPageControl, FShopModel, "BLVShop");
    FShop->setSelectionMode(QAbstractItemView::SingleSelection);
    FShop->SetColumnInfos(&FTvColumnInfos2);
    FShop->SortState().SortMarkUse = false; // never sorted: no mark in its header
    FTvColumnInfos2.ColumnInfos().Items(0).Width = std::max(
        180, TextWidth(*FShop, {&tables.SettingNames, &tables.ShoesNames, &tables.WeightNames},
                       {TGame::InvestigationItem}));
    FShop->ApplyColumnInfos();
    FShop->setAccessibleName(tr("Shop"));
    FPageControl->addTab(FShop, tr("Shop"));

    FMemo = new QPlainTextEdit(FPageControl);
    FMemo->setObjectName("Memo1");
    FMemo->setReadOnly(true);
    FMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    FMemo->setPlainText(tr("Sponsor List\n\n1st-rate Corp.\n5000 Wins\n\n2nd-rate Corp.\n1000 "
                           "Wins\n\n3rd-rate Corp.\n100 Wins\n\n4th-rate Corp.\n50 Wins\n\n5th-"
                           "rate Corp.\n10 Wins"));
    FPageControl->addTab(FMemo, tr("Info"));
    new TSteadyTabLayout(FPageControl);

    FSplitter->addWidget(left);
    FSplitter->addWidget(FPageControl);
    FSplitter->setStretchFactor(1, 1);
    FSplitter->setSizes({panelWidth, 635 - 313 - 6});
    resize(635 + panelWidth - 313, 529);

    // The status bar: counts, position, and an empty third panel.
    // Like the shop's Item column, a panel is as wide as the longest text it shows
    // needs in the window's font (the counts of the whole roster, the menu hints),
    // never narrower than its width in the layout.
    const int widths[] = {200, 150, 100};
    constexpr std::int32_t all = TPlayerList::RosterSize;
    const QStringList longest[] = {{FromStd(TGame::StatusCountsText(all, all)),
                                    tr("Open html of help"), tr("Open application folder")},
                                   {FromStd(TGame::StatusPositionText(all - 1, all))},
                                   {}};
    for (std::size_t i = 0; i < FStatusPanels.size(); ++i) {
        FStatusPanels[i] = new QLabel(this);
        FStatusPanels[i]->setObjectName(QString("StatusPanel%1").arg(i));
        int width = widths[i];
        for (const QString& text : longest[i])
            width = std::max(width, FStatusPanels[i]->fontMetrics().horizontalAdvance(text) + 8);
        FStatusPanels[i]->setFixedWidth(width);
        statusBar()->addWidget(FStatusPanels[i]);
    }
    statusBar()->setSizeGripEnabled(true);
    setMinimumSize(520, 360);

    // Events of the views and controls that run commands.
    FPlayers->installEventFilter(this);
    FPlayers->viewport()->installEventFilter(this);
    FShop->installEventFilter(this);
    FShop->viewport()->installEventFilter(this);
    connect(FPlayers, &TTvListView::columnClicked, this,
            [this](int position) { RunCommand([&] { BLVPlayersColumnClick(position); }); });
    connect(FPlayers->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { Run(TCommand::SetStatusBarText); });
    connect(FPageControl, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == ShopPage)
            Run(TCommand::SetShopProducts);
    });
    connect(FComboBoxWeight, &QComboBox::activated, this, [this](int index) {
        RunCommand([&] { FGame.ChooseWeight(FComboBoxWeight->itemText(index).toStdString()); });
    });
    // Every change of a box's state writes its bit, also when a refresh changes it.
    connect(FCheckBoxAutoRest, &QCheckBox::toggled, this,
            [this](bool on) { RunCommand([&] { FGame.SwitchSetting(SettingAutoRest, on); }); });
    connect(FCheckBoxSelfJudging, &QCheckBox::toggled, this,
            [this](bool on) { RunCommand([&] { FGame.SwitchSetting(SettingSelfJudging, on); }); });
}

void TFormGoalvanta::CreateActions() {
    const auto command = [this](const QString& caption, TCommand cmd) {
        auto* action = new QAction(caption, this);
        connect(action, &QAction::triggered, this, [this, cmd] { Run(cmd); });
        return action;
    };
    FActGame = command(tr("&Game"), TCommand::Game);
    FActRest = command(tr("&Rest 50 $"), TCommand::Rest);
    FActBuy = command(tr("&Buy"), TCommand::Buy);
    FActSelectThePoorest = command(tr("Select the &poorest"), TCommand::SelectThePoorest);
    FActSelectTheNextUnknown =
        command(tr("Select the next &unknown"), TCommand::SelectTheNextUnknown);

    // File commands: reached by their keys only.
    const auto file = [this](const QKeySequence& key, void (TFormGoalvanta::*handler)()) {
        auto* action = new QAction(this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this,
                [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
        addAction(action);
    };
    file(QKeySequence(Qt::CTRL | Qt::Key_N), &TFormGoalvanta::FileNewActExecute);
    file(QKeySequence(Qt::CTRL | Qt::Key_O), &TFormGoalvanta::FileOpenActExecute);
    file(QKeySequence(Qt::CTRL | Qt::Key_S), &TFormGoalvanta::FileSaveActExecute);
}

void TFormGoalvanta::CreateMenus() {
    // Every menu and item has a mnemonic (Alt+G, Alt+L, Alt+S, Alt+H, F10 for the bar),
    // so that the whole game can be played from the keyboard.
    QMenu* game = menuBar()->addMenu(tr("&Game"));
    connect(game->addAction(tr("&New")), &QAction::triggered, this,
            [this] { RunCommand([this] { FGame.NewGame(); }); });
    game->addSeparator();
    connect(game->addAction(tr("E&xit")), &QAction::triggered, this, &QWidget::close);

    const auto slotMenu = [this](const QString& title, void (TFormGoalvanta::*open)(),
                                 void (TFormGoalvanta::*click)(int)) {
        QMenu* menu = menuBar()->addMenu(title);
        for (int slot = 0; slot < SlotCount; ++slot) {
            QAction* item = menu->addAction(tr("<empty>"));
            item->setData(slot);
            connect(item, &QAction::triggered, this, [this, click, slot] {
                RunCommand([this, click, slot] { (this->*click)(slot); });
            });
        }
        menu->addSeparator(); // dropped by the menu: nothing follows it
        connect(menu, &QMenu::aboutToShow, this, open);
        return menu;
    };
    FLoadMenu =
        slotMenu(tr("&Load"), &TFormGoalvanta::ActMILoadExecute, &TFormGoalvanta::LoadData1Click);
    FSaveMenu =
        slotMenu(tr("&Save"), &TFormGoalvanta::ActMISaveExecute, &TFormGoalvanta::SaveData1Click);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    FHelpAction = new TTvViewHelpHtmlAction(this);
    FHelpAction->setText(tr("&Help"));
    FHelpAction->setStatusTip(tr("Open html of help"));
    FHelpAction->setShortcut(QKeySequence(Qt::Key_F1));
    FHelpAction->SetFileName(
        TTvViewHelpHtmlAction::HelpFileNameFor(QCoreApplication::applicationFilePath()));
    help->addAction(FHelpAction);
    addAction(FHelpAction); // F1 anywhere in the window
    help->addSeparator();
    auto* folder = new TTvOpenAppFolderAction(this);
    folder->setText(tr("&OpenAppFolder"));
    folder->setStatusTip(tr("Open application folder"));
    help->addAction(folder);
    help->addSeparator();
    connect(help->addAction(tr("&About")), &QAction::triggered, this,
            [this] { RunCommand([this] { About2Click(); }); });
    // F10 opens the first menu, as it does on the common desktops; the arrow keys
    // move on from there.
    auto* menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::Key_F10));
    connect(menuKey, &QAction::triggered, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().constFirst()); });
    addAction(menuKey);

    FPlayersMenu = new QMenu(this);
    FPlayersMenu->addAction(FActGame);
    FPlayersMenu->addSeparator();
    FPlayersMenu->addAction(FActRest);
    FPlayersMenu->addSeparator();
    FPlayersMenu->addAction(FActSelectThePoorest);
    FPlayersMenu->addAction(FActSelectTheNextUnknown);
    FShopMenu = new QMenu(this);
    FShopMenu->addAction(FActBuy);
    const auto popup = [this](TTvListView* view, QMenu* menu) {
        connect(view, &QWidget::customContextMenuRequested, this, [this, view, menu](QPoint at) {
            UpdateActions();
            menu->popup(view->viewport()->mapToGlobal(at));
        });
    };
    popup(FPlayers, FPlayersMenu);
    popup(FShop, FShopMenu);
}

// --- Start-up --------------------------------------------------------------------------

bool TFormGoalvanta::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowActivate:
        FormActivate();
        break;
    case QEvent::Show:
        // A desktop may show the window without activating it (focus stealing
        // prevention, no window manager): the game starts all the same, once the
        // window is on screen.
        if (!FGame.Flags().Activated)
            QTimer::singleShot(0, this, &TFormGoalvanta::FormActivate);
        break;
    case QEvent::StatusTip:
        // Menu hints go to the first panel; a command without a hint empties it.
        FStatusPanels[0]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    default:
        break;
    }
    return QMainWindow::event(event);
}

void TFormGoalvanta::FormActivate() {
    // Also while its own file's message box is open: the activation that box
    // brings back must not start a second game.
    if (FGame.Flags().Activated || FActivating)
        return;
    FActivating = true;
    RunCommand([this] {
        FMainPlayerModel->CreateRows();
        FGame.NewGame();
        UpdateActions();
        SendTextByCopyData(FCommandLinePath, THandOverRecord::OpenPathCode);
        FPlayers->setFocus();
    });
    FGame.Flags().Activated = true;
    FActivating = false;
    emit FirstActivationDone();
    ScheduleHandOvers(); // what other starts handed over meanwhile
}

bool TFormGoalvanta::OpenPath(const std::string& path) {
    return IsFile(path) && LoadGameFile(path);
}

bool TFormGoalvanta::OpenPath(const QString& path) {
    return OpenPath(Native(path));
}

bool TFormGoalvanta::WMCopyData(const THandOverRecord& record) {
    if (record.Code != THandOverRecord::OpenPathCode)
        return false;
    // The bytes as they are: a name that is not valid text shows as escapes.
    const QByteArray logged = QByteArray::fromStdString(record.Text);
    qCInfo(lcInstance) << "hand-over of" << logged << "opening";
    const bool loaded = OpenPath(record.Text);
    qCInfo(lcInstance) << "hand-over of" << logged << (loaded ? "loaded" : "changed nothing");
    return loaded;
}

bool TFormGoalvanta::SendTextByCopyData(const std::string& text, std::uint32_t code) {
    // A relative path means the folder the program was started in.
    std::error_code error;
    const std::string path =
        text.empty() ? text : BytesOfPath(std::filesystem::absolute(PathFromBytes(text), error));
    const auto record = ParseHandOverRecord(ComposeHandOverRecord({code, path}));
    return record && WMCopyData(*record);
}

bool TFormGoalvanta::AcceptHandOver(const THandOverRecord& record) {
    if (record.Code != THandOverRecord::OpenPathCode)
        return false;
    BringToFront();
    const QByteArray logged = QByteArray::fromStdString(record.Text);
    if (record.Text.empty()) {
        qCInfo(lcInstance) << "hand-over of" << logged << "brought the game to the front";
        return true;
    }
    if (FPendingPaths.size() >= MaxPendingHandOvers) {
        qCInfo(lcInstance) << "hand-over of" << logged << "refused: too many waiting";
        return false;
    }
    FPendingPaths.push_back(record.Text);
    qCInfo(lcInstance) << "hand-over of" << logged << "taken";
    ScheduleHandOvers();
    return true;
}

void TFormGoalvanta::ScheduleHandOvers() {
    if (FPendingPaths.empty() || FHandOverScheduled)
        return;
    FHandOverScheduled = true;
    // From the event loop, never from inside whatever is running now.
    QTimer::singleShot(0, this, &TFormGoalvanta::OpenPendingHandOver);
}

void TFormGoalvanta::OpenPendingHandOver() {
    FHandOverScheduled = false;
    if (FPendingPaths.empty() || FCommandDepth > 0 || !FGame.Flags().Activated)
        return; // the end of the command, or of the first activation, asks again
    if (QApplication::activeModalWidget() != nullptr) {
        // A dialog outside any command (the desktop's, a component's): wait it out.
        FHandOverScheduled = true;
        QTimer::singleShot(100, this, &TFormGoalvanta::OpenPendingHandOver);
        return;
    }
    const std::string path = FPendingPaths.front();
    FPendingPaths.pop_front();
    RunCommand([&] { WMCopyData({THandOverRecord::OpenPathCode, path}); });
}

bool TFormGoalvanta::RunCommand(const std::function<void()>& body) {
    const int rosterDepth = FRosterUpdateDepth;
    const int waitDepth = FWaitDepth;
    ++FCommandDepth;
    std::optional<std::string> failure;
    try {
        body();
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (...) {
        failure = "An unexpected error ended the command.";
    }
    if (failure) {
        // Whatever the command had begun is ended before the user is told.
        while (FRosterUpdateDepth > rosterDepth)
            EndRosterUpdate();
        while (FWaitDepth > waitDepth)
            EndWaitCursor();
        ShowCommandError(failure->c_str());
    }
    --FCommandDepth;
    UpdateActions();
    if (FCommandDepth == 0)
        ScheduleHandOvers();
    return !failure;
}

void TFormGoalvanta::ShowCommandError(const char* what) {
    qWarning() << "command failed:" << what;
    FPrompts->Message(QString::fromLocal8Bit(what), QString::fromLatin1(ProductName),
                      TMessageIcon::Error, TMessageButtons::Ok);
}

void TFormGoalvanta::BringToFront() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

// --- Commands ---------------------------------------------------------------------------

void TFormGoalvanta::Run(TCommand command) {
    RunCommand([this, command] { FGame.Execute(command); });
}

void TFormGoalvanta::UpdateActions() {
    FActGame->setEnabled(FGame.IsEnabled(TCommand::Game));
    FActRest->setEnabled(FGame.IsEnabled(TCommand::Rest));
    FActBuy->setEnabled(FGame.IsEnabled(TCommand::Buy));
}

void TFormGoalvanta::BLVPlayersColumnClick(int position) {
    TPlayerList* roster = FGame.Roster();
    if (roster == nullptr)
        return;
    BeginWaitCursor();
    BeginRosterUpdate();
    const std::int32_t focusedRow = FocusedRow();
    const TPlayer* focused = focusedRow >= 0 ? &roster->Items(focusedRow) : nullptr;
    FPlayers->ToggleSortColumn(position);
    const TTvSortState& sort = FPlayers->SortState();
    if (sort.SortColumnIndex == 0)
        roster->SortByResult(sort.SortDown);
    else if (sort.SortColumnIndex == 1)
        roster->SortByPoints(sort.SortDown);
    if (focused != nullptr) {
        // The opponent keeps the focus at its new row; other rows keep their marks.
        const QModelIndex row = FRosterModel->index(roster->IndexOf(focused), 0);
        FPlayers->selectionModel()->setCurrentIndex(row, QItemSelectionModel::Select |
                                                             QItemSelectionModel::Rows);
        FPlayers->scrollTo(row, QAbstractItemView::EnsureVisible);
    }
    RefreshVisibleItems();
    PressLeftKey();
    EndRosterUpdate();
    EndWaitCursor();
}

bool TFormGoalvanta::eventFilter(QObject* watched, QEvent* event) {
    const bool players = watched == FPlayers || watched == FPlayers->viewport();
    const bool shop = watched == FShop || watched == FShop->viewport();
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (players) {
            const bool rest = key->key() == Qt::Key_Space || key->key() == Qt::Key_Backspace ||
                              (key->key() == Qt::Key_0 && key->modifiers() & Qt::KeypadModifier) ||
                              (key->key() == Qt::Key_Left && key->modifiers() & Qt::AltModifier);
            if (enter)
                Run(TCommand::Game);
            else if (rest)
                Run(TCommand::Rest);
        } else if (shop && enter) {
            Run(TCommand::Buy);
        }
        break; // the view still handles the key its usual way
    }
    case QEvent::KeyRelease:
        if (players)
            Run(TCommand::SetStatusBarText);
        break;
    case QEvent::MouseButtonPress:
        if (players)
            Run(TCommand::SetStatusBarText);
        break;
    case QEvent::MouseButtonDblClick:
        if (players) {
            Run(TCommand::Game);
        } else if (shop) {
            // The row under the pointer is the offer meant, focused or not yet.
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (const QModelIndex row = FShop->indexAt(at); row.isValid())
                FShop->setCurrentIndex(row);
            Run(TCommand::Buy);
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Save slots and file commands -------------------------------------------------------

void TFormGoalvanta::SetSlotCaptions(QMenu* menu, bool disableEmpty) {
    for (QAction* item : menu->actions()) {
        if (item->isSeparator())
            continue;
        const int slot = item->data().toInt();
        const QString name = SlotFileName(slot);
        const bool exists = IsFile(FSaveFolder + Native(name));
        // The slot's digit, where a shortcut would be shown, is the item's mnemonic:
        // ten "<empty>" items could not be told apart by a letter of their caption.
        item->setText((exists ? name : tr("<empty>")) + QStringLiteral("\t&%1").arg(slot));
        item->setEnabled(exists || !disableEmpty);
    }
}

void TFormGoalvanta::ActMILoadExecute() {
    SetSlotCaptions(FLoadMenu, true);
}

void TFormGoalvanta::ActMISaveExecute() {
    SetSlotCaptions(FSaveMenu, false);
}

void TFormGoalvanta::LoadData1Click(int slot) {
    const std::string path = FSaveFolder + Native(SlotFileName(slot));
    if (IsFile(path))
        LoadGameFile(path);
}

void TFormGoalvanta::SaveData1Click(int slot) {
    // A folder that cannot be made is not reported here: the save then says so.
    std::error_code error;
    std::filesystem::create_directories(PathFromBytes(FSaveFolder), error);
    const std::string path = FSaveFolder + Native(SlotFileName(slot));
    if (std::filesystem::exists(PathFromBytes(path), error) &&
        FPrompts->Message(tr("Rewrite save file?"), tr("Confirmation"), TMessageIcon::Information,
                          TMessageButtons::OkCancel) != TMessageResult::Ok)
        return;
    SaveGameFile(path);
}

bool TFormGoalvanta::AskToSaveChanges() {
    if (!FGame.Flags().Modified)
        return true;
    switch (FPrompts->Message(tr("It is changed. Save file?"), tr("Confirmation"),
                              TMessageIcon::Question, TMessageButtons::YesNoCancel)) {
    case TMessageResult::Yes:
        return SaveWithDialog();
    case TMessageResult::No:
        return true;
    default:
        return false;
    }
}

void TFormGoalvanta::FileNewActExecute() {
    if (!AskToSaveChanges())
        return;
    FGame.NewGame();
}

void TFormGoalvanta::FileOpenActExecute() {
    if (AskToSaveChanges())
        OpenWithDialog();
}

void TFormGoalvanta::FileSaveActExecute() {
    if (FGame.Flags().FreshGame)
        SaveWithDialog();
    else
        SaveGameFile(FCurrentFileName);
}

void TFormGoalvanta::FileSaveAsActExecute() {
    SaveWithDialog();
}

bool TFormGoalvanta::OpenWithDialog() {
    const auto path = FPrompts->OpenFileName(Shown(FSaveFolder), Shown(FCurrentFileName),
                                             QString::fromLatin1(FileFilter));
    return path && LoadGameFile(Native(*path));
}

bool TFormGoalvanta::SaveWithDialog() {
    const auto path = FPrompts->SaveFileName(Shown(FSaveFolder), Shown(FCurrentFileName),
                                             QString::fromLatin1(FileFilter));
    return path && SaveGameFile(Native(*path));
}

bool TFormGoalvanta::SaveGameFile(const std::string& path) {
    return FGame.SaveGameFile(path);
}

bool TFormGoalvanta::LoadGameFile(const std::string& path) {
    const bool loaded = FGame.LoadGameFile(path);
    UpdateActions();
    return loaded;
}

void TFormGoalvanta::About2Click() {
    TTvAboutBox box(this);
    box.SetProgramIcon(windowIcon());
    box.SetCaption(tr("%1 About").arg(QString::fromLatin1(ProductName)));
    box.SetCopyright(tr("Copyright (C) 2026 The Goalvanta developers"));
    box.SetProductLine(QString::fromLatin1(ProductName), QString::fromLatin1(ProductVersion));
    box.SetLinkHints({}, {});
    box.exec();
}

// --- The game's screen ------------------------------------------------------------------

void TFormGoalvanta::GetSelectedIndices(TIntegerList& rows) {
    FPlayers->GetSelectedIndices(rows);
}

std::int32_t TFormGoalvanta::FocusedRow() {
    const QModelIndex current = FPlayers->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

// Only the rows are held back: turned on again, a widget repaints all of itself,
// and the header and scroll bar have nothing new to show after a match.
void TFormGoalvanta::BeginRosterUpdate() {
    if (FRosterUpdateDepth++ == 0)
        FPlayers->viewport()->setUpdatesEnabled(false);
}

void TFormGoalvanta::EndRosterUpdate() {
    if (--FRosterUpdateDepth == 0)
        FPlayers->viewport()->setUpdatesEnabled(true);
}

void TFormGoalvanta::RefreshVisibleItems() {
    FPlayers->RefreshVisibleItems();
}

void TFormGoalvanta::ResetRosterView(std::int32_t rowCount, int sortColumn, bool sortDown,
                                     std::int32_t row) {
    TTvSortState& sort = FPlayers->SortState();
    sort.SortColumnIndex = sortColumn;
    sort.SortDown = sortDown;
    FPlayers->ApplyColumnInfos();
    FRosterModel->SetRowCount(rowCount);
    FPlayers->clearSelection();
    const QModelIndex index = FRosterModel->index(row, 0);
    FPlayers->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    FPlayers->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void TFormGoalvanta::PressLeftKey() {
    // The view handles a plain Left as if typed; its release refreshes the status bar.
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent key(type, Qt::Key_Left, Qt::NoModifier);
        QCoreApplication::sendEvent(FPlayers, &key);
    }
}

void TFormGoalvanta::ShowFoundRow(std::int32_t row) {
    const QModelIndex index = FRosterModel->index(row, 0);
    FPlayers->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    FPlayers->scrollTo(index, QAbstractItemView::EnsureVisible);
    PressLeftKey();
}

void TFormGoalvanta::ShowMainPlayerState(const TMainPlayerView& view) {
    FMainPlayerModel->SetRows(view.Rows);
    FCheckBoxAutoRest->setChecked(view.AutoRestChecked);
    FCheckBoxAutoRest->setEnabled(view.AutoRestEnabled);
    FCheckBoxSelfJudging->setChecked(view.SelfJudgingChecked);
    FCheckBoxSelfJudging->setEnabled(view.SelfJudgingEnabled);
    // Filling the box is not a choice of the user: no change event. The weights
    // owned change only when one is bought; refilled, the box would repaint.
    const QSignalBlocker quiet(FComboBoxWeight);
    QStringList names;
    for (const std::string& name : view.WeightNames)
        names << FromStd(name);
    QStringList shown;
    for (int i = 0; i < FComboBoxWeight->count(); ++i)
        shown << FComboBoxWeight->itemText(i);
    if (shown != names) {
        FComboBoxWeight->clear();
        FComboBoxWeight->addItems(names);
    }
    FComboBoxWeight->setCurrentIndex(view.SelectedWeight);
}

void TFormGoalvanta::ShowStatusBar(const std::string& counts, const std::string& position) {
    FStatusPanels[0]->setText(FromStd(counts));
    FStatusPanels[1]->setText(FromStd(position));
}

void TFormGoalvanta::ShowShopProducts(const std::vector<TShopProduct>& products) {
    FShopModel->SetProducts(products);
    // The new rows are laid out now: left to the next paint, the layout would ask
    // for a second paint of the whole list right after the first.
    FShop->doItemsLayout();
}

std::optional<std::string> TFormGoalvanta::FocusedShopItem() {
    const QModelIndex current = FShop->selectionModel()->currentIndex();
    if (!current.isValid() || current.row() >= static_cast<int>(FShopModel->Products().size()))
        return std::nullopt;
    return FShopModel->Products()[static_cast<std::size_t>(current.row())].Item;
}

void TFormGoalvanta::ShowPlayersPage() {
    FPageControl->setCurrentIndex(PlayersPage);
}

void TFormGoalvanta::SetCurrentFileName(const std::string& path) {
    FCurrentFileName = path;
}

TMessageResult TFormGoalvanta::ShowMessage(const std::string& text, const std::string& caption,
                                           TMessageIcon icon, TMessageButtons buttons) {
    QString body = FromStd(text);
    body.replace("\r\n", "\n");
    return FPrompts->Message(body, FromStd(caption), icon, buttons);
}

void TFormGoalvanta::BeginWaitCursor() {
    ++FWaitDepth;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void TFormGoalvanta::EndWaitCursor() {
    --FWaitDepth;
    QGuiApplication::restoreOverrideCursor();
}

} // namespace goalvanta
