#pragma once

class QWidget;

namespace kestra::hostlink {
class CHostSession;
}

namespace kestra::ui {

// "Get Files from Host...": the save dialog, then the Get Files window over the new archive.
void get_files_from_host(hostlink::CHostSession& session, QWidget* parent);
// "Put Files onto Host...": the open dialog, then the Put Files window over the archive.
void put_files_onto_host(hostlink::CHostSession& session, QWidget* parent);

}  // namespace kestra::ui
