#include "workspace/WorkspaceTreeModel.h"

#include <QFont>

namespace {

const QLatin1String kSeparator(" -- (");

bool labelLess(const QString &a, const QString &b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

} // namespace

WorkspaceTreeModel::WorkspaceTreeModel(QObject *parent)
    : QStandardItemModel(parent)
{
    QFont bold;
    bold.setBold(true);
    for (FileKind kind : {FileKind::Source, FileKind::Include, FileKind::Other}) {
        auto *group = new QStandardItem(groupLabel(kind));
        group->setEditable(false);
        group->setData(true, IsGroupRole);
        group->setData(int(kind), KindRole);
        group->setData(bold, Qt::FontRole);
        appendRow(group);
        m_groups[int(kind)] = group;
    }
}

QString WorkspaceTreeModel::groupLabel(FileKind kind)
{
    switch (kind) {
    case FileKind::Source:
        return QStringLiteral("Source File(s)");
    case FileKind::Include:
        return QStringLiteral("Include File(s)");
    case FileKind::Other:
        break;
    }
    return QStringLiteral("Misc File(s)");
}

QString WorkspaceTreeModel::fileLabel(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return name.toLower() + kSeparator + path + QLatin1Char(')');
}

std::optional<QString> WorkspaceTreeModel::pathFromLabel(const QString &label)
{
    // A name may itself hold " -- (": the right split is the one that rebuilds the label.
    qsizetype at = label.indexOf(kSeparator);
    const qsizetype first = at;
    while (at >= 0) {
        const QString path = label.mid(at + kSeparator.size(),
                                       label.size() - at - kSeparator.size() - 1);
        if (fileLabel(path) == label)
            return path;
        at = label.indexOf(kSeparator, at + 1);
    }
    if (first < 0 || !label.endsWith(QLatin1Char(')')))
        return std::nullopt;
    return label.mid(first + kSeparator.size(), label.size() - first - kSeparator.size() - 1);
}

WorkspaceTreeModel::Image WorkspaceTreeModel::imageFor(FileKind kind)
{
    switch (kind) {
    case FileKind::Source:
        return SourceImage;
    case FileKind::Include:
        return IncludeImage;
    case FileKind::Other:
        break;
    }
    return OtherImage;
}

QModelIndex WorkspaceTreeModel::groupIndex(FileKind kind) const
{
    return m_groups[int(kind)]->index();
}

QModelIndex WorkspaceTreeModel::addFile(const QString &path)
{
    removeFile(path);
    const FileKind kind = DocumentNaming::fileKind(path);
    const QString label = fileLabel(path);
    auto *item = new QStandardItem(label);
    item->setEditable(false);
    item->setData(path, PathRole);
    item->setData(int(kind), KindRole);
    item->setData(false, IsGroupRole);
    if (imageFor(kind) < m_images.size())
        item->setData(m_images.at(imageFor(kind)), Qt::DecorationRole);

    QStandardItem *group = m_groups[int(kind)];
    int lo = 0;
    int hi = group->rowCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (labelLess(group->child(mid)->text(), label))
            lo = mid + 1;
        else
            hi = mid;
    }
    group->insertRow(lo, item);
    m_items.insert(path, item);
    m_order.append(path);
    return item->index();
}

bool WorkspaceTreeModel::removeFile(const QString &path)
{
    QStandardItem *item = m_items.take(path);
    if (!item)
        return false;
    m_order.removeOne(path);
    item->parent()->removeRow(item->row());
    return true;
}

QModelIndex WorkspaceTreeModel::indexOfFile(const QString &path) const
{
    QStandardItem *item = m_items.value(path);
    return item ? item->index() : QModelIndex();
}

bool WorkspaceTreeModel::isGroup(const QModelIndex &index) const
{
    return index.isValid() && index.data(IsGroupRole).toBool();
}

QString WorkspaceTreeModel::filePath(const QModelIndex &index) const
{
    return index.isValid() ? index.data(PathRole).toString() : QString();
}

void WorkspaceTreeModel::setImages(const QList<QIcon> &images)
{
    m_images = images;
    for (int k = 0; k < 3; ++k) {
        if (GroupImage < images.size())
            m_groups[k]->setData(images.at(GroupImage), Qt::DecorationRole);
        for (int r = 0; r < m_groups[k]->rowCount(); ++r) {
            QStandardItem *item = m_groups[k]->child(r);
            const int image = imageFor(FileKind(k));
            item->setData(image < images.size() ? QVariant(images.at(image)) : QVariant(),
                          Qt::DecorationRole);
        }
    }
}
