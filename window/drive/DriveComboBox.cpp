#include "DriveComboBox.h"

#include <QDir>
#include <QStorageInfo>

// A first cut: only the volume of the current folder. The full selector replaces it.
std::unique_ptr<MountSource> SystemMountSource()
{
    return nullptr;
}

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    addItem(QStorageInfo(QDir::currentPath()).rootPath());
}

TDriveComboBox::~TDriveComboBox() = default;

void TDriveComboBox::SetMountSource(std::unique_ptr<MountSource>) {}

std::string TDriveComboBox::Drive() const
{
    return QFile::encodeName(currentText()).toStdString();
}

void TDriveComboBox::SelectRoot(const DriveRoot& root)
{
    addItem(root.path);
    setCurrentIndex(count() - 1);
}

void TDriveComboBox::Refresh() {}
