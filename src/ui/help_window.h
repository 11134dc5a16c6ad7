#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include "workspace/help_index.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;

namespace kestra::ui {

// The program's help: a contents tree and a keyword index with its search field beside the page browser. The pages
// and their index are resources under ":/help". There is one help window; it stays open beside the windows it
// explains (it is not modal) and closing it only hides it.
class CHelpWindow : public QWidget {
    Q_OBJECT

  public:
    // The help window, made on first use; it lives until the application ends.
    static CHelpWindow& instance();

    // The contents, at the start page.
    void show_contents();
    // The keyword index with an empty search field holding the focus.
    void show_search();
    // The page of a window or command named as the index names them (dlg_..., cmd_<id>); the start page for a name
    // the index does not know.
    void show_topic(const QString& name);
    // A page, with an optional "#anchor".
    void show_target(const QString& target);

    const workspace::HelpIndex& index() const { return index_; }
    // The page and anchor shown, as "page.html#anchor".
    QString current_target() const;

    QTextBrowser* browser() const { return browser_; }
    QLineEdit* search_field() const { return search_; }
    QListWidget* keyword_list() const { return keywords_; }
    QTreeWidget* contents_tree() const { return contents_; }
    QTabWidget* tabs() const { return tabs_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    CHelpWindow();
    void fill_contents();
    void fill_keywords(const QString& text);
    void open_current_keyword();
    void follow_page(const QString& target);
    void present();
    void move_to(QWidget* host);

    workspace::HelpIndex index_;
    QTabWidget* tabs_;
    QTreeWidget* contents_;
    QLineEdit* search_;
    QListWidget* keywords_;
    QTextBrowser* browser_;
    QPushButton* back_;
    QPushButton* forward_;
};

// The text of a help resource ("index.txt", "paste.html"); empty when there is none.
QByteArray help_resource(const QString& file);
// Every page file of the help, by name.
QStringList help_pages();

}  // namespace kestra::ui
