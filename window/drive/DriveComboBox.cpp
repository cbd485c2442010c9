#include "DriveComboBox.h"

#include "Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QTimer>

#include <algorithm>

namespace {

QIcon IconFor(DriveRoot::Kind kind, const QStyle* style)
{
    const auto themed = [style](const char* name, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QLatin1String(name), style->standardIcon(fallback));
    };
    switch (kind) {
    case DriveRoot::Kind::Optical:
        return themed("drive-optical", QStyle::SP_DriveCDIcon);
    case DriveRoot::Kind::Removable:
        return themed("drive-removable-media", QStyle::SP_DriveFDIcon);
    case DriveRoot::Kind::Network:
        return themed("folder-remote", QStyle::SP_DriveNetIcon);
    case DriveRoot::Kind::Folder:
        return themed("folder", QStyle::SP_DirIcon);
    case DriveRoot::Kind::Image:
        return themed("media-optical", QStyle::SP_DriveCDIcon);
    case DriveRoot::Kind::Fixed:
        break;
    }
    return themed("drive-harddisk", QStyle::SP_DriveHDIcon);
}

QString TextOf(const DriveRoot& root)
{
    if (root.kind == DriveRoot::Kind::Image)
        return QFileInfo(root.path).fileName();
    if (root.label.isEmpty())
        return root.path;
    return root.path + QLatin1String(" [") + root.label + QLatin1Char(']');
}

bool SameRoots(const QList<DriveRoot>& a, const QList<DriveRoot>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const DriveRoot& x, const DriveRoot& y) {
        return x.path == y.path && x.label == y.label && x.kind == y.kind;
    });
}

DriveRoot StorageVolumeOf(const QString& path)
{
    const QStorageInfo volume(path);
    return {volume.rootPath(), volume.name(), DriveRoot::Kind::Fixed};
}

}  // namespace

DriveRoot MountSource::VolumeOf(const QString& path)
{
    return StorageVolumeOf(path);
}

QString TDriveComboBox::FolderChooserText()
{
    return QStringLiteral("フォルダを指定...");
}

QString TDriveComboBox::ImageChooserText()
{
    return QStringLiteral("ディスクイメージを指定...");
}

TDriveComboBox::TDriveComboBox(QWidget* parent) : TDriveComboBox(SystemMountSource(), parent) {}

TDriveComboBox::TDriveComboBox(std::unique_ptr<MountSource> source, QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::currentIndexChanged, this, &TDriveComboBox::OnCurrentIndexChanged);
    connect(this, &QComboBox::activated, this, &TDriveComboBox::OnActivated);
    // The current directory's volume, whatever the filter thinks of it: a command has a
    // drive from the start.
    home_ = source ? source->VolumeOf(QDir::currentPath()) : StorageVolumeOf(QDir::currentPath());
    chosen_ = home_;
    SetMountSource(std::move(source));
}

TDriveComboBox::~TDriveComboBox() = default;

void TDriveComboBox::SetMountSource(std::unique_ptr<MountSource> source)
{
    source_ = std::move(source);
    volumes_ = source_ ? source_->Volumes() : QList<DriveRoot>();
    if (source_)
        source_->Watch([this] { Refresh(); });
    Rebuild();
}

std::string TDriveComboBox::Drive() const
{
    return QFile::encodeName(chosen_.path).toStdString();
}

void TDriveComboBox::SelectRoot(const DriveRoot& root)
{
    DriveRoot place = root;
    place.path = QDir::cleanPath(place.path);
    if (place.path.isEmpty())
        return;
    const int listed = places_.indexOf(place);
    if (listed >= 0) {
        setCurrentIndex(listed);
        return;
    }
    added_.append(place);
    chosen_ = place;
    Rebuild();
}

void TDriveComboBox::Refresh()
{
    if (!source_)
        return;
    volumes_ = source_->Volumes();
    Rebuild();
}

void TDriveComboBox::Rebuild()
{
    QList<DriveRoot> places = volumes_;
    const auto keep = [&places](const DriveRoot& root) {
        if (!root.path.isEmpty() && !places.contains(root))
            places.append(root);
    };
    keep(home_);
    // A chosen volume that went away stays until the user picks another place.
    if (!added_.contains(chosen_))
        keep(chosen_);
    std::sort(places.begin(), places.end(),
              [](const DriveRoot& a, const DriveRoot& b) { return a.path < b.path; });
    for (const DriveRoot& root : std::as_const(added_)) {
        if (!places.contains(root))
            places.append(root);
    }

    // The choice does not change with the list, so nobody outside hears of the rebuild.
    const QSignalBlocker blocker(this);
    if (SameRoots(places, places_) && count() == places_.size() + 3) {
        ShowChosen();
        return;
    }
    clear();
    places_ = places;
    for (const DriveRoot& root : std::as_const(places_)) {
        addItem(IconFor(root.kind, style()), TextOf(root), root.path);
        if (root.kind == DriveRoot::Kind::Folder || root.kind == DriveRoot::Kind::Image)
            setItemData(count() - 1, root.path, Qt::ToolTipRole);
    }
    insertSeparator(count());
    addItem(QIcon::fromTheme(QStringLiteral("folder-open"), style()->standardIcon(QStyle::SP_DirOpenIcon)),
            FolderChooserText());
    addItem(IconFor(DriveRoot::Kind::Image, style()), ImageChooserText());
    ShowChosen();
}

void TDriveComboBox::ShowChosen()
{
    setCurrentIndex(places_.indexOf(chosen_));
}

TDriveComboBox::ItemRole TDriveComboBox::RoleAt(int index) const
{
    // The separator before the choosers sits at places_.size().
    if (index == places_.size() + 1)
        return ItemRole::ChooseFolder;
    if (index == places_.size() + 2)
        return ItemRole::ChooseImage;
    return ItemRole::Place;
}

void TDriveComboBox::OnCurrentIndexChanged(int index)
{
    if (index >= 0 && index < places_.size()) {
        chosen_ = places_[index];
        return;
    }
    // A pick in the list reaches OnActivated right after this and handles the chooser;
    // any other way onto one (a program setting the index) must not leave it showing.
    QTimer::singleShot(0, this, [this] {
        if (RoleAt(currentIndex()) != ItemRole::Place)
            ShowChosen();
    });
}

void TDriveComboBox::OnActivated(int index)
{
    const ItemRole role = RoleAt(index);
    if (role == ItemRole::Place)
        return;
    // The box goes on showing the chosen place while the chooser is open, so a cancel
    // needs nothing more.
    ShowChosen();
    if (stepping_)
        return;
    const QString path = role == ItemRole::ChooseFolder ? AskForFolder() : AskForImage();
    if (path.isEmpty())
        return;
    SelectRoot({path, QString(), role == ItemRole::ChooseFolder ? DriveRoot::Kind::Folder : DriveRoot::Kind::Image});
}

QString TDriveComboBox::AskForFolder()
{
    return CurrentDialogs().ExistingFolder(this, QStringLiteral("ゲームCDの内容があるフォルダを選択して下さい"));
}

QString TDriveComboBox::AskForImage()
{
    return CurrentDialogs().OpenFile(this, QStringLiteral("ゲームCDのディスクイメージを選択して下さい"),
                                     QStringLiteral("CDイメージ (*.iso *.bin *.img *.cue);;すべてのファイル (*)"));
}

// On the closed box, Qt reports a step of the wheel or the keys as an activation; one that
// lands on a chooser puts the chosen place back instead of opening a dialog.
void TDriveComboBox::keyPressEvent(QKeyEvent* event)
{
    const QScopedValueRollback<bool> step(stepping_, true);
    QComboBox::keyPressEvent(event);
}

void TDriveComboBox::wheelEvent(QWheelEvent* event)
{
    const QScopedValueRollback<bool> step(stepping_, true);
    QComboBox::wheelEvent(event);
}
