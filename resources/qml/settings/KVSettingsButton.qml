import QtQuick 2.15
import com.kv.common 1.0
import com.kv.settings 1.0
import "qrc:/Dialog/qml"

// The buttons of the settings page. A tab (`tab` true) is a text row of the
// left column with an ember bar when it is the current section; otherwise it
// is the small ember plate of the sections ("Change", "Check Version").
Item {
    id: root

    property alias text: label.text
    property bool tab: false
    property bool current: false
    readonly property string face: tab ? "" : qmlArt.source(":/mainwindow/btn_change_InstallDir" + (area.pressed ? "_press" : area.containsMouse ? "_hover" : "_normal"))

    signal clicked()

    width: tab ? 220 : 156
    height: tab ? 48 : 44
    opacity: enabled ? 1 : 0.5
    activeFocusOnTab: true
    Accessible.role: tab ? Accessible.PageTab : Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: if (enabled) root.clicked()
    Keys.onSpacePressed: root.clicked()
    Keys.onReturnPressed: root.clicked()
    Keys.onEnterPressed: root.clicked()

    Rectangle {
        anchors.fill: parent
        visible: root.tab
        radius: 6
        color: root.current ? "#f3dfc4" : area.containsMouse ? "#f8ead6" : "transparent"

        Rectangle {
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            width: 4
            height: parent.height - 16
            radius: 2
            color: "#C66030"
            visible: root.current
        }
    }

    Rectangle {
        anchors.fill: parent
        visible: !root.tab && root.face === ""
        radius: 6
        gradient: Gradient {
            GradientStop { position: 0; color: area.containsMouse ? "#ff9150" : "#F57438" }
            GradientStop { position: 1; color: area.pressed ? "#9e4620" : "#C66030" }
        }
    }

    BorderImage {
        anchors.fill: parent
        visible: !root.tab && root.face !== ""
        source: root.face
        border { left: 12; top: 12; right: 12; bottom: 12 }
    }

    Text {
        id: label

        anchors.verticalCenter: parent.verticalCenter
        anchors.verticalCenterOffset: area.pressed ? 1 : 0
        x: root.tab ? 20 : (root.width - width) / 2
        width: Math.min(implicitWidth, root.width - (root.tab ? 28 : 16))
        elide: Text.ElideRight
        color: root.tab ? (root.current ? "#7a3a1c" : "#5a4a3c") : "#fff2e2"
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: root.tab ? 18 : 15
        font.bold: root.tab && root.current
    }

    MouseArea {
        id: area

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: root.clicked()
    }

    KVFocusRing {}
}
