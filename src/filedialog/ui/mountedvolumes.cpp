#include "filedialog/ui/mountedvolumes.h"

#include "widgets/text.h"

#include <QFile>
#include <QStorageInfo>

namespace nx {

std::vector<Volume> mountedVolumes()
{
    std::vector<Volume> out;
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        if (!s.isValid() || !s.isReady())
            continue;
        Volume v;
        v.root = QFile::encodeName(s.rootPath()).toStdString();
        v.fsType = s.fileSystemType().toStdString();
        v.label = widgets::toBytes(s.name());
        out.push_back(std::move(v));
    }
    return out;
}

}  // namespace nx
