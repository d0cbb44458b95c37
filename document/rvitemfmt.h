// Output helpers that items share with the RTF and HTML writers: an image of
// an image list as an RTF picture, and a bullet image written once per HTML
// export beside the page.
#pragma once

#include "document/crvdata.h"

class TCustomImageList;
class TGraphic;
class TStream;

// "{\pict ...}" of image ImageIndex of the list: a device-independent bitmap
// with rvrtfSaveBitmapDefault, else an old-format metafile holding the image.
// Nothing for a missing list or an index outside it.
void RVSaveImageListImageToRTF(TStream& stream, double twipsPerPixel, const TCustomImageList* imageList,
                               int imageIndex, TRVRTFOptions rtfOptions);

// The location of the picture file showing image ImageIndex of ImageList (or,
// without a list, Graphic) on BackgroundColor: the file already written for
// the same image and colour (listed in Bullets, TRVHTMLBulletInfo records),
// else a new file saved through RVData's SavePicture and listed in Bullets.
void RVSaveImageSharedImageInHTML(TCustomImageList* imageList, int imageIndex, TGraphic* graphic,
                                  AnsiString& location, TCustomRVData* rvData, const AnsiString& path,
                                  const AnsiString& imagesPrefix, int& imageCounter, TColor backgroundColor,
                                  TRVSaveOptions saveOptions, TRVList* bullets);
