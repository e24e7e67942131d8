#pragma once

#include "editor/DocumentNaming.h"

#include <QHash>
#include <QIcon>
#include <QStandardItemModel>

#include <optional>

// The Tree bar's contents as a model: three bold groups, "Source File(s)", "Include File(s)" and
// "Misc File(s)", created once and never removed, and under them one item per file, sorted by
// label. The group comes from the path's last four characters (case-sensitive). The label is
// the name part lower-cased, " -- (", the path as given, ")"; the path is the item's identity
// and is also kept in PathRole, so the view never has to parse a label back. Adding a path that
// has an item replaces that item; any number of files may be listed.
class WorkspaceTreeModel : public QStandardItemModel
{
    Q_OBJECT

public:
    enum Role { PathRole = Qt::UserRole + 1, KindRole, IsGroupRole };
    // Image-list positions: the group image, then one per file kind.
    enum Image { GroupImage = 0, SourceImage = 1, IncludeImage = 2, OtherImage = 3 };

    explicit WorkspaceTreeModel(QObject *parent = nullptr);

    static QString groupLabel(FileKind kind);
    static QString fileLabel(const QString &path);
    // The identity inside a label built by fileLabel(); nothing for a label without " -- (".
    static std::optional<QString> pathFromLabel(const QString &label);
    static Image imageFor(FileKind kind);

    QModelIndex groupIndex(FileKind kind) const;
    // Adds (or re-adds) the file and returns its index.
    QModelIndex addFile(const QString &path);
    // Removes the item whose path is byte-for-byte equal; false when there is none.
    bool removeFile(const QString &path);
    QModelIndex indexOfFile(const QString &path) const;
    // The file items' paths in the order they were added.
    QStringList filePaths() const { return m_order; }

    bool isGroup(const QModelIndex &index) const;
    // Empty for a group or an invalid index.
    QString filePath(const QModelIndex &index) const;

    // Icons for the four images (group, source, include, other); the GUI supplies them.
    void setImages(const QList<QIcon> &images);

private:
    QStandardItem *m_groups[3] = {};
    QHash<QString, QStandardItem *> m_items;
    QStringList m_order;
    QList<QIcon> m_images;
};
