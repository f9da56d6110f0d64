<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>kavimo::maker::MakerWindow</name>
    <message>
        <location filename="../MakerWindow.cpp" line="54"/>
        <source>Error</source>
        <translation>エラー</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="54"/>
        <source>Warning</source>
        <translation>注意</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="178"/>
        <source>Kavimo set maker</source>
        <translation>Kavimo セットづくり</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="179"/>
        <source>Add pictures…</source>
        <translation>写真を追加…</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="180"/>
        <source>Open…</source>
        <translation>開く…</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="181"/>
        <source>Title:</source>
        <translation>タイトル：</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="182"/>
        <source>Square:</source>
        <translation>切り取り：</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="183"/>
        <source>Sound when the pair is found</source>
        <translation>ペアがそろったときの音</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="184"/>
        <source>None (the usual sound)</source>
        <translation>なし（いつもの音）</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="185"/>
        <source>A sound file</source>
        <translation>音のファイル</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="186"/>
        <source>Say the name:</source>
        <translation>名前を読み上げる：</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="187"/>
        <source>Choose…</source>
        <translation>選ぶ…</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="188"/>
        <source>Listen</source>
        <translation>聞く</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="189"/>
        <source>Remove this pair</source>
        <translation>このペアを外す</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="190"/>
        <source>Save in…</source>
        <translation>保存先…</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="191"/>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="192"/>
        <source>Play it now</source>
        <translation>いますぐ遊ぶ</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="193"/>
        <location filename="../MakerWindow.cpp" line="642"/>
        <source>Saves in %1</source>
        <translation>保存先：%1</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="194"/>
        <source>Drop photos or folders here; drag a card to change the order.</source>
        <translation>ここに写真やフォルダーをドロップしてください。カードをドラッグすると順番が変わります。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="210"/>
        <source>Add pictures</source>
        <translation>写真を追加</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="210"/>
        <source>Pictures (%1)</source>
        <translation>写真 (%1)</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="215"/>
        <source>Open a set</source>
        <translation>セットを開く</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="215"/>
        <source>Sets (*.dat)</source>
        <translation>セット (*.dat)</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="246"/>
        <source>Choose a sound</source>
        <translation>音を選ぶ</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="247"/>
        <source>Sounds (*.wav *.ogg *.oga *.flac *.mp3 *.opus);;All files (*)</source>
        <translation>音 (*.wav *.ogg *.oga *.flac *.mp3 *.opus);;すべてのファイル (*)</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="261"/>
        <source>Save in a Data folder</source>
        <translation>保存する Data フォルダー</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="324"/>
        <source>The set could not be read.</source>
        <translation>セットを読み込めませんでした。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="380"/>
        <source>These files are not pictures that can be used:</source>
        <translation>次のファイルは写真として使えません：</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="382"/>
        <source>A set holds at most %1 pairs: %2 more not added.</source>
        <translation>1 つのセットは %1 ペアまでです。残りの %2 枚は追加していません。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="432"/>
        <source>No pictures yet: add some, or drop photos or folders on the cards.</source>
        <translation>まだ写真がありません。追加するか、写真やフォルダーをここにドロップしてください。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="434"/>
        <source>1 pair: 2 large cards</source>
        <translation>1 ペア：大きいカード 2 枚</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="436"/>
        <source>%1 pairs: %2 large cards</source>
        <translation>%1 ペア：大きいカード %2 枚</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="438"/>
        <source>%1 pairs: %2 small cards</source>
        <translation>%1 ペア：小さいカード %2 枚</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="457"/>
        <location filename="../MakerWindow.cpp" line="475"/>
        <source>★ preview</source>
        <translation>★ 見本</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="524"/>
        <source>(none chosen)</source>
        <translation>（未選択）</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="606"/>
        <source>No scratch folder for the spoken name: %1</source>
        <translation>読み上げ用の一時フォルダーを作れません：%1</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="618"/>
        <source>The name could not be spoken: %1</source>
        <translation>名前を読み上げられませんでした：%1</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="673"/>
        <source>Ready to save.</source>
        <translation>保存できます。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="681"/>
        <source>Saving…</source>
        <translation>保存しています…</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="686"/>
        <source>The set was not saved.</source>
        <translation>セットは保存されませんでした。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="693"/>
        <source>Saved as %1.</source>
        <translation>%1 に保存しました。</translation>
    </message>
    <message>
        <location filename="../MakerWindow.cpp" line="701"/>
        <source>The game could not be started: %1</source>
        <translation>ゲームを起動できませんでした：%1</translation>
    </message>
</context>
</TS>
