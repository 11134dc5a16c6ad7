#include "ui/help_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QVBoxLayout>
#include <vector>

#include "ui/object_names.h"

// Resources of a static library are linked only when something names them.
static void init_help_resources() {
    Q_INIT_RESOURCE(help);
}

namespace kestra::ui {

namespace {

constexpr char kRoot[] = ":/help/";
constexpr char kStartPage[] = "index.html";
constexpr int kTargetRole = Qt::UserRole;

QPointer<CHelpWindow>& the_window() {
    static QPointer<CHelpWindow> window;
    return window;
}

// The application's last steps: the help window has no parent to take it along.
void delete_help_window() {
    delete the_window().data();
}

QString target_of(const QUrl& url) {
    QString target = url.fileName();
    if (url.hasFragment()) target += QLatin1Char('#') + url.fragment();
    return target;
}

QString text_of(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

QByteArray help_resource(const QString& file) {
    init_help_resources();
    QFile f(QString::fromLatin1(kRoot) + file);
    if (file.isEmpty() || file.contains(QLatin1Char('/')) || !f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QStringList help_pages() {
    init_help_resources();
    return QDir(QString::fromLatin1(kRoot)).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

CHelpWindow& CHelpWindow::instance() {
    QPointer<CHelpWindow>& window = the_window();
    if (window.isNull()) {
        window = new CHelpWindow;
        qAddPostRoutine(delete_help_window);
    }
    return *window;
}

CHelpWindow::CHelpWindow()
    : QWidget(nullptr, Qt::Window),
      tabs_(new QTabWidget(this)),
      contents_(new QTreeWidget(this)),
      search_(new QLineEdit(this)),
      keywords_(new QListWidget(this)),
      browser_(new QTextBrowser(this)),
      back_(new QPushButton(QStringLiteral("&Back"), this)),
      forward_(new QPushButton(QStringLiteral("&Forward"), this)) {
    set_dialog_name(this, QStringLiteral("Help"));
    setWindowTitle(QStringLiteral("Admin Help"));
    const QByteArray index_text = help_resource(QStringLiteral("index.txt"));
    index_.load(std::string_view(index_text.constData(), static_cast<std::size_t>(index_text.size())));

    set_control_role(tabs_, QStringLiteral("Help"), QStringLiteral("Tabs"));
    set_control_role(contents_, QStringLiteral("Help"), QStringLiteral("Contents"));
    set_control_role(search_, QStringLiteral("Help"), QStringLiteral("Search"));
    set_control_role(keywords_, QStringLiteral("Help"), QStringLiteral("Keywords"));
    set_control_role(browser_, QStringLiteral("Help"), QStringLiteral("Page"));
    set_control_role(back_, QStringLiteral("Help"), QStringLiteral("Back"));
    set_control_role(forward_, QStringLiteral("Help"), QStringLiteral("Forward"));

    contents_->setHeaderHidden(true);
    contents_->setAccessibleName(QStringLiteral("Contents"));
    auto* index_page = new QWidget(this);
    auto* index_layout = new QVBoxLayout(index_page);
    auto* search_label = new QLabel(QStringLiteral("&Type the first letters of a keyword:"), index_page);
    search_label->setBuddy(search_);
    index_layout->addWidget(search_label);
    index_layout->addWidget(search_);
    index_layout->addWidget(keywords_);
    keywords_->setAccessibleName(QStringLiteral("Keywords"));
    tabs_->addTab(contents_, QStringLiteral("&Contents"));
    tabs_->addTab(index_page, QStringLiteral("&Index"));

    browser_->setAccessibleName(QStringLiteral("Help page"));
    browser_->setSearchPaths({QString::fromLatin1(kRoot)});
    browser_->setOpenExternalLinks(false);
    auto* page_side = new QWidget(this);
    auto* page_layout = new QVBoxLayout(page_side);
    page_layout->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch();
    page_layout->addLayout(buttons);
    page_layout->addWidget(browser_);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(tabs_);
    splitter->addWidget(page_side);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, 510});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QPushButton::setEnabled);
    connect(contents_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) show_target(item->data(0, kTargetRole).toString());
    });
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) show_target(item->data(0, kTargetRole).toString());
    });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) { follow_page(target_of(url)); });
    connect(search_, &QLineEdit::textChanged, this, &CHelpWindow::fill_keywords);
    connect(search_, &QLineEdit::returnPressed, this, &CHelpWindow::open_current_keyword);
    connect(keywords_, &QListWidget::itemActivated, this, &CHelpWindow::open_current_keyword);
    connect(keywords_, &QListWidget::itemClicked, this, &CHelpWindow::open_current_keyword);

    // The keys of the list work from the search field, so typing and picking need no change of focus.
    search_->installEventFilter(this);
    // Escape puts the help away, as it does a dialog; it stays ready for the next time.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    fill_contents();
    fill_keywords(QString());
    resize(780, 520);
}

bool CHelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == search_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(keywords_, event);
            return true;
        }
    }
    if (watched == parentWidget() && event->type() == QEvent::Hide) {
        // The dialog it went with is done: the help stays open on its own, or goes with the modal dialog below.
        move_to(nullptr);
        QTimer::singleShot(0, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal != this && isVisible()) move_to(modal);
        });
    }
    return QWidget::eventFilter(watched, event);
}

void CHelpWindow::move_to(QWidget* host) {
    if (parentWidget() == host) return;
    if (parentWidget() != nullptr) parentWidget()->removeEventFilter(this);
    const QRect place = geometry();
    const bool shown = isVisible();
    setParent(host, Qt::Window);
    setGeometry(place);
    if (host != nullptr) host->installEventFilter(this);
    if (shown) show();
}

void CHelpWindow::fill_contents() {
    // Each entry goes under the last one a level higher; the index reader has made sure there is one.
    std::vector<QTreeWidgetItem*> parents;
    for (const auto& entry : index_.contents()) {
        const auto level = static_cast<std::size_t>(entry.level);
        parents.resize(level);
        auto* item = level == 0 ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parents.back());
        item->setText(0, text_of(entry.title));
        item->setData(0, kTargetRole, text_of(entry.target));
        parents.push_back(item);
    }
    contents_->expandToDepth(0);
}

void CHelpWindow::follow_page(const QString& target) {
    // The contents mark the page shown: its own entry when it has one, else the first entry of its page.
    const QString page = QUrl(target).path();
    QTreeWidgetItem* same_page = nullptr;
    for (QTreeWidgetItemIterator it(contents_); *it != nullptr; ++it) {
        const QString entry = (*it)->data(0, kTargetRole).toString();
        if (entry == target) {
            same_page = *it;
            break;
        }
        if (same_page == nullptr && QUrl(entry).path() == page) same_page = *it;
    }
    if (same_page == nullptr) return;
    contents_->setCurrentItem(same_page);
    contents_->scrollToItem(same_page);
}

void CHelpWindow::fill_keywords(const QString& text) {
    keywords_->clear();
    for (const auto& keyword : index_.search(text.toLatin1().toStdString())) {
        auto* item = new QListWidgetItem(text_of(keyword.text), keywords_);
        item->setData(kTargetRole, text_of(keyword.target));
    }
    if (keywords_->count() > 0) keywords_->setCurrentRow(0);
}

void CHelpWindow::open_current_keyword() {
    if (QListWidgetItem* item = keywords_->currentItem()) show_target(item->data(kTargetRole).toString());
}

void CHelpWindow::present() {
    // A modal dialog blocks every window but its own, so while one runs the help goes with it, to stay usable.
    QWidget* modal = QApplication::activeModalWidget();
    move_to(modal != nullptr && modal != this ? modal : nullptr);
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void CHelpWindow::show_contents() {
    tabs_->setCurrentIndex(0);
    show_target(QString::fromLatin1(kStartPage));
    present();
    contents_->setFocus(Qt::OtherFocusReason);
}

void CHelpWindow::show_search() {
    tabs_->setCurrentIndex(1);
    search_->clear();
    fill_keywords(QString());
    if (browser_->source().isEmpty()) show_target(QString::fromLatin1(kStartPage));
    present();
    search_->setFocus(Qt::OtherFocusReason);
}

void CHelpWindow::show_topic(const QString& name) {
    const std::string target = index_.topic(name.toLatin1().toStdString());
    show_target(target.empty() ? QString::fromLatin1(kStartPage) : text_of(target));
    present();
}

void CHelpWindow::show_target(const QString& target) {
    if (target.isEmpty()) return;
    const QUrl url(QStringLiteral("qrc") + QString::fromLatin1(kRoot) + target);
    // A page reached again with only its anchor changed still scrolls to that anchor.
    if (target_of(browser_->source()) != target) browser_->setSource(url);
    if (url.hasFragment()) browser_->scrollToAnchor(url.fragment());
    follow_page(target);
}

QString CHelpWindow::current_target() const {
    return target_of(browser_->source());
}

}  // namespace kestra::ui
