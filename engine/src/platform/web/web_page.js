// Runs before a game's main in the browser: the files the page lists
// (Module.veltraFiles) are fetched into the program's current folder, as
// files beside a native program; and the font the page ships
// (Module.veltraFontFile) is registered as "veltra-sans" and under each face
// name the page lists (Module.veltraFaces), then loaded, so the first frame
// already draws with it. A file that cannot
// be fetched is simply not there: the engine says so when it is opened.
Module['preRun'] = [].concat(Module['preRun'] || [], function () {
  if (typeof document === 'undefined') return;
  addRunDependency('veltra-page');
  var files = (Module['veltraFiles'] || []).map(function (name) {
    return fetch(name)
      .then(function (r) { return r.ok ? r.arrayBuffer() : null; })
      .then(function (data) {
        if (!data) return;
        var folder = name.substring(0, name.lastIndexOf('/'));
        if (folder) FS.mkdirTree(folder);
        FS.writeFile(name, new Uint8Array(data));
      })
      .catch(function () {});
  });
  var fontFile = Module['veltraFontFile'];
  var fonts = fetch(fontFile)
    .then(function (r) { return r.ok ? r.arrayBuffer() : Promise.reject(r.status); })
    .then(function (data) {
      return Promise.all(['veltra-sans'].concat(Module['veltraFaces'] || []).map(function (face) {
        var font = new FontFace(face, data);
        document.fonts.add(font);
        return font.load();
      }));
    })
    .catch(function (why) { err('veltra: cannot load the page font "' + fontFile + '" (' + why + '): text falls back to the browser\'s'); });
  Promise.all(files.concat([fonts])).then(function () { removeRunDependency('veltra-page'); });
});
